// Mekalon: a Thai text editor with translation help.
#include <QApplication>

#include "app/recovery.h"
#include "app/umekalon.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    CreateWindows();
    fmekalon->show();
    recovery::Start(*fmekalon);  // offers what a killed run left, then keeps copies of the work
    const int result = app.exec();
    DestroyWindows();
    return result;
}
