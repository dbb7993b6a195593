// TFinddlg: the find dialog. Shown non-modally by the main window's find command with the
// editor's selected text as InitialText; "&Find" selects the next occurrence of the field's text
// in the main window's editor, starting again from the top after the last one.
#pragma once

#include <QDialog>
#include <string>

#include "inputfield/thaiedit.h"
#include "platform/types.h"

class QPushButton;

class TFinddlg : public QDialog {
    Q_OBJECT
public:
    explicit TFinddlg(QWidget* parent = nullptr);

    // The text that the next showing of the dialog puts into the search field (when not empty).
    std::string InitialText;

    // ---- Components (named as the window design names them) -----------------------------
    TThaiedit* te1;  // the search text
    QPushButton* findbtn;
    QPushButton* closebtn;

    // ---- Handlers ------------------------------------------------------------------------
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormDeactivate();
    // Keys that reach the dialog itself (not the field's sink) go to the field.
    void FormKeyDown(int& key, platform::ShiftState shift);
    void FormKeyPress(unsigned char& key);
    void te1Change(TThaiedit& sender);
    void findbtnClick();
    void closebtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
