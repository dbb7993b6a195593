// TFinddlg: the find window. Shown non-modally by the main window's find and replace commands
// with the editor's selected text as InitialText; "&Find" (or Return in a field) selects the next
// occurrence of the search text in the main window's editor, starting again from the top after
// the last one, and says so in the main window's status bar. A second field holds the replacement: "&Replace" replaces the
// occurrence found and finds the next, "Replace &All" replaces every one as one undo step.
#pragma once

#include <QDialog>
#include <string>

#include "inputfield/thaiedit.h"
#include "platform/types.h"

class QLabel;
class QPushButton;
class TFthaivk;
class TThaimemo;
class Tfmekalon;

class TFinddlg : public QDialog {
    Q_OBJECT
public:
    // Searches `main`'s editor and tells of it in its status bar; `keyboard` types into the field
    // that has the focus while this window is active. Both outlive the dialog.
    TFinddlg(Tfmekalon& main, TFthaivk& keyboard);
    ~TFinddlg() override;

    // The text that the next showing of the dialog puts into the search field (when not empty).
    std::string InitialText;

    // ---- Components (named as the window design names them) -----------------------------
    TThaiedit* te1;  // the search text
    QPushButton* findbtn;
    QPushButton* closebtn;
    QLabel* replacelabel;
    TThaiedit* te2;  // the replacement
    QPushButton* replacebtn;
    QPushButton* replaceallbtn;

    // The field the keys and the virtual keyboard type into: the one that had the focus last.
    TThaiedit* ActiveField() const { return activeField_; }

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
    void replacebtnClick();
    void replaceallbtnClick();

    // Searches the editor for the search text, forwards as "&Find" does or backwards, and says
    // when the search reached the end (or the start) of the text or found nothing.
    void Search(bool backwards);
    // Says what the last search or replacement found, in the main window's status bar (empty:
    // nothing to say, an older word goes).
    void SearchMessage(const std::string& text);
    // Shows the window as the replace command does: as a newly shown one, with the focus in the
    // replacement field when there is a search text already.
    void ShowForReplace();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TThaimemo* Editor() const;
    // After a search that found nothing: the end (or start) of the text was reached, or the text
    // does not hold the search text at all.
    void SayNotFound(bool backwards);
    // The virtual keyboard types into `field` while this window is active.
    void SetActiveField(TThaiedit* field);
    Tfmekalon& main_;
    TFthaivk& keyboard_;
    TThaiedit* activeField_ = nullptr;
    // Follows the application's focus; cut before the dialog's own destructor hides the window,
    // which moves the focus while this part of the object is gone already.
    QMetaObject::Connection focusFollower_;
};
