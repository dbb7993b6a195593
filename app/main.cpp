// Mekalon: a Thai text editor with translation help.
#include <QApplication>

#include "app/appicon.h"
#include "app/commandline.h"
#include "app/pdfexport.h"
#include "app/recovery.h"
#include "app/startup.h"
#include "app/umekalon.h"
#include "platform/files.h"

int main(int argc, char** argv) {
    // Under a file-size limit a save fails with a reported error instead of ending the program.
    platform::IgnoreFileSizeSignal();
    // mekalon --pdf OUT.pdf FILE prints FILE into OUT.pdf without a window.
    if (const auto exported = pdfexport::Run(argc, argv)) return *exported;
    // --help and --version need no display either: the command line is read before the rest.
    CommandLine options;
    if (const auto exitCode = ParseCommandLine(argc, argv, options)) return *exitCode;
    QApplication app(argc, argv);
    // The desktop entry's id, as the application's name (the class of its windows, StartupWMClass
    // in the entry) and as the desktop file name: the desktop groups the windows under the
    // entry's icon.
    QCoreApplication::setApplicationName(QString::fromLatin1(kAppId));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));
    StartProgram(options);
    recovery::Start(*fmekalon);  // offers what a killed run left, then keeps copies of the work
    const int result = app.exec();
    EndProgram();
    return result;
}
