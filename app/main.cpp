// Mekalon: a Thai text editor with translation help.
#include <QApplication>

#include "app/pdfexport.h"
#include "app/recovery.h"
#include "app/umekalon.h"
#include "platform/files.h"

int main(int argc, char** argv) {
    // Under a file-size limit a save fails with a reported error instead of ending the program.
    platform::IgnoreFileSizeSignal();
    // A PDF export shows no window: it needs no display.
    if (pdfexport::Requested(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (const auto exported = pdfexport::Run(QApplication::arguments())) return *exported;
    CreateWindows();
    fmekalon->show();
    recovery::Start(*fmekalon);  // offers what a killed run left, then keeps copies of the work
    const int result = app.exec();
    DestroyWindows();
    return result;
}
