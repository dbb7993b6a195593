// Tfrianthai: the quick lookup window.
#pragma once

#include <QMainWindow>

class Tfrianthai : public QMainWindow {
    Q_OBJECT
public:
    explicit Tfrianthai(QWidget* parent = nullptr);
};
