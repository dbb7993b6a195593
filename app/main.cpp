// Mekalon: a Thai text editor with translation help.
#include <QApplication>

#include "app/umekalon.h"
#include "platform/files.h"

int main(int argc, char** argv) {
    // Under a file-size limit a save fails with a reported error instead of ending the program.
    platform::IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    CreateWindows();
    fmekalon->show();
    const int result = app.exec();
    DestroyWindows();
    return result;
}
