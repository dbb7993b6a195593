#include "app/ufinddlg.h"

TFinddlg::TFinddlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName("Finddlg");
    setWindowTitle("Find in text");
    setFixedSize(342, 59);
}
