// Mekalon: a Thai text editor with translation help.
#include <QApplication>

#include "app/appicon.h"
#include "app/commandline.h"
#include "app/umekalon.h"

int main(int argc, char** argv) {
    CommandLine options;
    if (const auto exitCode = ParseCommandLine(argc, argv, options)) return *exitCode;
    QApplication app(argc, argv);
    // The desktop entry's id: the desktop matches the running program with its entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));
    CreateWindows();
    fmekalon->show();
    StartWith(*fmekalon, options);
    const int result = app.exec();
    DestroyWindows();
    return result;
}
