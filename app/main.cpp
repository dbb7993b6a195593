// Mekalon: a Thai text editor with translation help.
#include <QApplication>

#include "app/pdfexport.h"
#include "app/recovery.h"
#include "app/umekalon.h"
#include "platform/files.h"

int main(int argc, char** argv) {
    // Under a file-size limit a save fails with a reported error instead of ending the program.
    platform::IgnoreFileSizeSignal();
    // mekalon --pdf OUT.pdf FILE prints FILE into OUT.pdf without a window.
    if (const auto exported = pdfexport::Run(argc, argv)) return *exported;
    QApplication app(argc, argv);
    CreateWindows();
    fmekalon->show();
    recovery::Start(*fmekalon);  // offers what a killed run left, then keeps copies of the work
    const int result = app.exec();
    DestroyWindows();
    return result;
}
