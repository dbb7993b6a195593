#include "app/urianthai.h"

Tfrianthai::Tfrianthai(QWidget* parent) : QMainWindow(parent) { setObjectName("frianthai"); }
