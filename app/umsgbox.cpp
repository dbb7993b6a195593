#include "app/umsgbox.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "platform/qt_services.h"

namespace {

// A blue exclamation mark on a yellow disc, 32 x 32.
QPixmap QuestionIcon() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(255, 255, 0));
    p.setPen(QPen(QColor(0, 0, 160), 1));
    p.drawEllipse(1, 1, 30, 30);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 200));
    p.drawRect(14, 6, 4, 14);
    p.drawRect(14, 23, 4, 4);
    return pm;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int x, int result,
                        QDialog* dialog) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, 44, 75, 26);
    // Return (like the space bar) presses the button that has the focus.
    b->setAutoDefault(true);
    QObject::connect(b, &QPushButton::clicked, dialog, [dialog, result] { dialog->done(result); });
    return b;
}

}  // namespace

Tfmsgbox::Tfmsgbox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
    setObjectName("fmsgbox");
    setWindowTitle("Mekalon");
    setFixedSize(252, 75);
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(4, 5, 32, 32);
    Image1->setPixmap(QuestionIcon());

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(45, 10, 200, 20);

    // Tab order follows creation order: yes, no, cancel.
    btnyes = MakeButton(this, "btnyes", "yes", 4, platform::mrYes, this);
    btnno = MakeButton(this, "btnno", "no", 89, platform::mrNo, this);
    btncancel = MakeButton(this, "btncancel", "cancel", 174, platform::mrCancel, this);
    // The program's questions asked through the platform services (from the editor) come here.
    platform::SetQuestionWindow([this](const std::string& text) -> QDialog* {
        SetQuestion(QString::fromStdString(text));
        return this;
    });
}

Tfmsgbox::~Tfmsgbox() { platform::SetQuestionWindow(nullptr); }

void Tfmsgbox::SetQuestion(const QString& text) {
    Label1->setText(text);
    Label1->setWordWrap(Label1->fontMetrics().horizontalAdvance(text) > 200);
    const int extra = Label1->wordWrap() ? std::max(0, Label1->heightForWidth(200) - 20) : 0;
    Label1->setGeometry(45, 10, 200, 20 + extra);
    for (QPushButton* b : {btnyes, btnno, btncancel}) b->move(b->x(), 44 + extra);
    setFixedSize(252, 75 + extra);
}

void Tfmsgbox::showEvent(QShowEvent* event) {
    SetQuestion(Label1->text());  // also for callers that filled Label1 themselves
    QDialog::showEvent(event);
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    btnyes->setFocus();
}

void Tfmsgbox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();  // no button answers Esc
        return;
    }
    QDialog::keyPressEvent(event);
}

void Tfmsgbox::reject() {}
