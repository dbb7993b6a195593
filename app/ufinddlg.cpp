// The find dialog: one Thai input field with the search text, "&Find" and "&Close".
#include "app/ufinddlg.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "app/activation.h"
#include "app/umekalon.h"
#include "app/uthaivk.h"
#include "editor/thaimemo.h"
#include "platform/cp874.h"
#include "platform/qt_keysink.h"

TFinddlg::TFinddlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName("Finddlg");
    setWindowTitle("Find in text");
    setFixedSize(342, 59);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }

    te1 = new TThaiedit(this);
    te1->setObjectName("te1");
    te1->setGeometry(8, 9, 240, 42);
    te1->SetFont("Courier ProportionalThai", 21);
    te1->OnChange = [this](TThaiedit& sender) { te1Change(sender); };

    findbtn = new QPushButton("&Find", this);
    findbtn->setObjectName("findbtn");
    findbtn->setGeometry(260, 3, 75, 25);
    findbtn->setEnabled(false);
    closebtn = new QPushButton("&Close", this);
    closebtn->setObjectName("closebtn");
    closebtn->setGeometry(260, 33, 75, 25);
    // Return belongs to the search field (its cursor goes to the start), never to a button.
    for (QPushButton* b : {findbtn, closebtn}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(findbtn, &QPushButton::clicked, this, [this] { findbtnClick(); });
    connect(closebtn, &QPushButton::clicked, this, [this] { closebtnClick(); });

    FormCreate();
}

void TFinddlg::FormCreate() {
    if (Fthaivk) setWindowIcon(Fthaivk->windowIcon());
    te1->SetText("");
    te1->SetGraphicsize(1);
    InitialText.clear();
}

void TFinddlg::FormShow() {
    // The field holds one line: a selection over several lines gives its first line.
    const std::string initial = InitialText.substr(0, InitialText.find_first_of("\r\n"));
    if (!initial.empty()) te1->SetText(initial);
    if (!te1->Text().empty()) {
        // Typing replaces the whole search text.
        te1->SelectedAll = true;
        te1->Invalidate();
    }
    findbtn->setEnabled(!te1->Text().empty());
    te1->SetFocus();
}

void TFinddlg::FormActivate() {
    // The virtual keyboard types into the search field while this window is the active one.
    if (Fthaivk) Fthaivk->TypeInto(*te1);
    te1->SetFocus();
}

void TFinddlg::FormDeactivate() { te1->WithdrawOffer(); }

void TFinddlg::FormKeyDown(int& key, platform::ShiftState shift) { te1->KeyDown(key, shift); }

void TFinddlg::FormKeyPress(unsigned char& key) { te1->InsertChar(key); }

void TFinddlg::te1Change(TThaiedit&) { findbtn->setEnabled(!te1->Text().empty()); }

void TFinddlg::findbtnClick() {
    if (fmekalon && fmekalon->Tm1) fmekalon->Tm1->FindNext(te1->Text());
}

void TFinddlg::closebtnClick() { hide(); }

void TFinddlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Restoring a minimised dialog is not a new showing.
    if (!event->spontaneous()) FormShow();
}

void TFinddlg::changeEvent(QEvent* event) {
    RunActivationHandlers(*this, event);
    QDialog::changeEvent(event);
}

// Keys that the focused control did not take (Return from the field's sink, keys while a button
// has the focus) are the field's, as the sink would hand them on. Escape does not close the
// dialog: it withdraws an offer in the field like any other key.
void TFinddlg::keyPressEvent(QKeyEvent* event) {
    event->accept();
    const Qt::KeyboardModifiers mods = event->modifiers();
    int key = platform::KeyCodeFromQt(event->key(), mods);
    if (key != 0) FormKeyDown(key, platform::ShiftFromQt(mods));
    if (mods.testFlag(Qt::AltModifier) != mods.testFlag(Qt::ControlModifier)) return;
    if (event->key() == Qt::Key_Delete) return;
    for (char32_t ch : event->text().toUcs4()) {
        const int b = platform::TypedCharToByte(ch);
        if (b < 0) continue;
        unsigned char byte = static_cast<unsigned char>(b);
        FormKeyPress(byte);
    }
}
