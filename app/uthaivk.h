// TFthaivk: the virtual keyboard tool window. It types into the Thai control that was active
// last, through two callbacks that the active window points at its own control.
#pragma once

#include <QMainWindow>
#include <functional>

#include "platform/types.h"

class TFthaivk : public QMainWindow {
    Q_OBJECT
public:
    explicit TFthaivk(QWidget* parent = nullptr);

    // The key target: a typed byte, and a key-down with its shift state.
    std::function<void(unsigned char& key)> OnChar;
    std::function<void(int& key, platform::ShiftState shift)> OnKeyDown;

    // Sends a byte to the target as a typed character.
    void SendChar(unsigned char byte);
};
