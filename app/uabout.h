// Tfabout: the about window. Names the program and its version, shows the built-in help text
// (parts of which can be copied to the clipboard) and hosts the Thai number puzzle.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class Tnumberpuzzle;

class Tfabout : public QDialog {
    Q_OBJECT
public:
    explicit Tfabout(QWidget* parent = nullptr);

    QLabel* ego;             // the logo
    QLabel* l0;              // program name and version
    QPlainTextEdit* Memo1;   // the help text, read-only
    QPushButton* copybtn;    // "Copy Selected Text"
    QPushButton* Okbtn;      // "OK", modal result 1
    QFrame* Panel1;          // the puzzle's panel
    QLabel* Label1;          // "The Thai number puzzle"
    Tnumberpuzzle* numberpuzzle1;
    QLabel* Label2;          // the score
    QPushButton* btnnewgame; // "New Game"

    void FormCreate();
    // Copies the selected part of the help text to the clipboard; nothing when none is selected.
    void copybtnClick();
    void btnnewgameClick();
    // The mouse was released over the puzzle: show the moves so far.
    void numberpuzzle1MouseUp();

protected:
    void showEvent(QShowEvent* event) override;  // every showing starts at the top of the help text
};
