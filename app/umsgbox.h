// Tfmsgbox: the program's own Yes/No/Cancel question window. The caller sets the text of Label1,
// shows it modally and reads the result: 6 yes, 7 no, 2 cancel. Esc does nothing.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class Tfmsgbox : public QDialog {
    Q_OBJECT
public:
    explicit Tfmsgbox(QWidget* parent = nullptr);
    ~Tfmsgbox() override;

    // Sets the question; a question longer than the label's line wraps and the window grows.
    void SetQuestion(const QString& text);

    QLabel* Image1;
    QLabel* Label1;
    QPushButton* btnyes;
    QPushButton* btnno;
    QPushButton* btncancel;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;  // the close request of the window system and Esc: ignored
};
