#include "app/uabout.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextCursor>

#include "app/helptext.h"
#include "app/numberpuzzle.h"
#include "platform/clipboard.h"
#include "platform/cp874.h"
#include "platform/services.h"

namespace {

// The logo: the program's name on a blue band, with the Thai digits one to three as an accent.
QPixmap Logo() {
    QPixmap logo(174, 32);
    QPainter p(&logo);
    QLinearGradient band(0, 0, 174, 0);
    band.setColorAt(0, QColor(0, 40, 120));
    band.setColorAt(1, QColor(40, 120, 220));
    p.fillRect(logo.rect(), band);
    p.setPen(QColor(255, 220, 0));
    QFont name(QStringLiteral("DejaVu Sans"));
    name.setPixelSize(20);
    name.setBold(true);
    p.setFont(name);
    p.drawText(QRect(8, 0, 120, 32), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Mekalon"));
    QFont thai(QStringLiteral("Loma"));
    thai.setPixelSize(18);
    p.setFont(thai);
    p.setPen(Qt::white);
    p.drawText(QRect(120, 0, 50, 32), Qt::AlignCenter, QString::fromUtf8("\u0E51\u0E52\u0E53"));
    return logo;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, int x, int y, int w, int h) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, y, w, h);
    return b;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    return l;
}

}  // namespace

Tfabout::Tfabout(QWidget* parent) : QDialog(parent) {
    setObjectName("fabout");
    setWindowTitle("About");
    // Dialog border with only the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(528, 514);
    // The menu colour as background.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette("QMenu").color(QPalette::Window));
    setPalette(pal);
    setAutoFillBackground(true);

    ego = new QLabel(this);
    ego->setObjectName("ego");
    ego->setGeometry(13, 8, 174, 32);
    ego->setPixmap(Logo());

    l0 = new QLabel(this);
    l0->setObjectName("l0");
    l0->setGeometry(200, 13, 300, 22);
    l0->setAlignment(Qt::AlignCenter);
    QFont bold = l0->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    l0->setFont(bold);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(13, 55, 508, 298);
    Memo1->setReadOnly(true);
    // Read-only, but the help text can be selected with the mouse and the keys.
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // "Fixedsys" is drawn with the installed fixed-pitch font, as in the text views.
    QFont fixed(QStringLiteral("DejaVu Sans Mono"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setPixelSize(12);
    Memo1->setFont(fixed);
    QPalette aqua = Memo1->palette();
    aqua.setColor(QPalette::Base, QColor(0, 255, 255));
    aqua.setColor(QPalette::Text, Qt::black);
    Memo1->setPalette(aqua);
    Memo1->setPlainText(QString::fromLatin1(kHelpText));

    copybtn = Button(this, "copybtn", "Copy Selected Text", 60, 365, 133, 24);
    Okbtn = Button(this, "Okbtn", "OK", 436, 365, 70, 24);
    Okbtn->setDefault(true);
    connect(copybtn, &QPushButton::clicked, this, [this] { platform::RunCommand([this] { copybtnClick(); }); });
    connect(Okbtn, &QPushButton::clicked, this, [this] { done(platform::mrOk); });

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(27, 409, 473, 97);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Label1 = Label(Panel1, "Label1", QStringLiteral("The Thai number puzzle"), 192, 12);
    numberpuzzle1 = new Tnumberpuzzle(Panel1);
    numberpuzzle1->move(112, 32);
    Label2 = Label(Panel1, "Label2", QString(), 24, 32);
    Label2->setMinimumWidth(80);
    btnnewgame = Button(Panel1, "btnnewgame", "New Game", 16, 56, 75, 25);
    connect(btnnewgame, &QPushButton::clicked, this, [this] { platform::RunCommand([this] { btnnewgameClick(); }); });
    numberpuzzle1->OnMouseUp = [this](platform::MouseButton, platform::ShiftState, int, int) {
        numberpuzzle1MouseUp();
    };

    FormCreate();
}

void Tfabout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;  // restored from minimised: not a new showing
    Memo1->moveCursor(QTextCursor::Start);
    Memo1->verticalScrollBar()->setValue(0);
    Memo1->horizontalScrollBar()->setValue(0);
}

void Tfabout::FormCreate() { l0->setText(QString::fromLatin1(kProgramVersion)); }

void Tfabout::copybtnClick() {
    const QTextCursor cursor = Memo1->textCursor();
    if (!cursor.hasSelection()) return;
    // The text box separates paragraphs with U+2029; the clipboard carries CR LF.
    QString text = cursor.selectedText();
    text.replace(QChar(0x2029), QStringLiteral("\r\n"));
    const QList<uint> ucs = text.toUcs4();
    platform::SetClipboardText(platform::EncodeCp874(std::u32string(ucs.begin(), ucs.end())));
}

void Tfabout::btnnewgameClick() { numberpuzzle1->NewGame(); }

void Tfabout::numberpuzzle1MouseUp() {
    Label2->setText(QStringLiteral("Score= ") + QString::number(numberpuzzle1->score()));
    Label2->adjustSize();
}
