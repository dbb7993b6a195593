// The main window's print commands: Print sends the selection to the printer the print dialog
// sets up (a PDF file where no printer queue is installed), Print Preview shows its pages first.
#include <QScopeGuard>
#include <filesystem>
#include <memory>

#include "app/umekalon.h"
#include "platform/qt_printer.h"
#include "platform/qt_services.h"
#include "platform/qt_window.h"
#include "print/thaiprint.h"

void Tfmekalon::PrintselClick() {
    if (BeforeLongCommand) BeforeLongCommand();
    if (!Tm1->Selecting) {
        platform::Current().ShowMessage("Select the text to print!");
        return;
    }
    // The selection goes when the command ends, also when printing fails.
    const auto clearSelection = qScopeGuard([this] { Tm1->ClearSelection(); });
    // Printing to a file offers the text's name: story.txt prints to story.pdf beside it.
    platform::OfferPdfFile(std::filesystem::absolute(textfile).replace_extension(".pdf").string());
    if (platform::Current().PrintDialog()) {
        platform::QtWindow window(this);
        auto printer = std::make_unique<TThaiprint>();
        printer->SetParent(&window, &host->Canvas());
        printer->PrintText(Tm1->SelectedText(), Tm1->Graphicsize);
    }
}

void Tfmekalon::PrintPreviewselClick() {
    if (BeforeLongCommand) BeforeLongCommand();
    if (!Tm1->Selecting) {
        platform::Current().ShowMessage("Select the text to print!");
        return;
    }
    // The preview shows the selection of this moment; the selection stays, ready for Print.
    const std::string text = Tm1->SelectedText();
    const int size = Tm1->Graphicsize;
    platform::CurrentQt().PrintPreview(platform::SystemPrinter(), [this, &text, size](QPrinter* printer) {
        platform::RunCommand([&] { PrintPreviewPaint(printer, text, size); });
    });
}

void Tfmekalon::PrintPreviewPaint(QPrinter* printer, const std::string& text, int graphicsSize) {
    platform::QtPrinter pages(printer, true);
    platform::QtWindow window(this);
    TThaiprint composer;
    composer.SetParent(&window, &host->Canvas());
    composer.PrintText(text, graphicsSize, pages);
}
