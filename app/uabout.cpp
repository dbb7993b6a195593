#include "app/uabout.h"

Tfabout::Tfabout(QWidget* parent) : QDialog(parent) {
    setObjectName("fabout");
    setWindowTitle("About");
    setFixedSize(528, 514);
}
