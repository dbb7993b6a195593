// TFinddlg: the find dialog. Shown non-modally by the main window's find command with the
// editor's selected text as InitialText.
#pragma once

#include <QDialog>
#include <string>

class TFinddlg : public QDialog {
    Q_OBJECT
public:
    explicit TFinddlg(QWidget* parent = nullptr);
    std::string InitialText;
};
