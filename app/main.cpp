// Mekalon: a Thai text editor with translation help.
#include <QApplication>

#include "app/umekalon.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    CreateWindows();
    fmekalon->show();
    const int result = app.exec();
    DestroyWindows();
    return result;
}
