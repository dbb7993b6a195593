// Mekalon: a Thai text editor with translation help.
#include <QApplication>

#include "app/pdfexport.h"
#include "app/umekalon.h"

int main(int argc, char** argv) {
    // A PDF export shows no window: it needs no display.
    if (pdfexport::Requested(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (const auto exported = pdfexport::Run(QApplication::arguments())) return *exported;
    CreateWindows();
    fmekalon->show();
    const int result = app.exec();
    DestroyWindows();
    return result;
}
