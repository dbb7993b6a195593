#include "app/uthaivk.h"

TFthaivk::TFthaivk(QWidget* parent) : QMainWindow(parent, Qt::Tool) {
    setObjectName("Fthaivk");
    setWindowTitle("Mekalon - Virtual Keyboard");
    resize(619, 160);
    move(170, 33);
}

void TFthaivk::SendChar(unsigned char byte) {
    if (OnChar) OnChar(byte);
}
