// The find window: a Thai input field with the search text, one with the replacement, "&Find",
// "&Replace", "Replace &All" and "&Close". What a search or a replacement found is said in the
// main window's status bar.
#include "app/ufinddlg.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "app/activation.h"
#include "app/umekalon.h"
#include "app/uthaivk.h"
#include "editor/thaimemo.h"
#include "platform/cp874.h"
#include "platform/qt_keysink.h"
#include "platform/services.h"

namespace {

constexpr int kClientWidth = 342, kClientHeight = 122;

QPushButton* Button(QWidget* parent, const char* name, const char* caption, int y) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(260, y, 75, 25);
    // Return belongs to the fields (it searches), never to a button.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

}  // namespace

TFinddlg::TFinddlg(Tfmekalon& main, TFthaivk& keyboard)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      main_(main),
      keyboard_(keyboard) {
    setObjectName("Finddlg");
    setWindowTitle("Find in text");
    setFixedSize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }

    auto field = [this](const char* name, int y) {
        auto* f = new TThaiedit(this);
        f->setObjectName(QString::fromLatin1(name));
        f->setGeometry(8, y, 240, 42);
        f->SetFont("Courier ProportionalThai", 21);
        // With two fields a click or Tab chooses the one the keys go to.
        f->setFocusPolicy(Qt::StrongFocus);
        f->OnChange = [this](TThaiedit& sender) { te1Change(sender); };
        return f;
    };
    te1 = field("te1", 9);
    activeField_ = te1;
    findbtn = Button(this, "findbtn", "&Find", 3);
    findbtn->setEnabled(false);
    closebtn = Button(this, "closebtn", "&Close", 33);
    replacelabel = new QLabel("Replace with:", this);
    replacelabel->setObjectName("replacelabel");
    replacelabel->setGeometry(8, 45, 240, 18);
    te2 = field("te2", 63);
    replacebtn = Button(this, "replacebtn", "&Replace", 63);
    replaceallbtn = Button(this, "replaceallbtn", "Replace &All", 93);
    for (QPushButton* b : {replacebtn, replaceallbtn}) b->setEnabled(false);
    connect(findbtn, &QPushButton::clicked, this, [this] { platform::RunCommand([this] { findbtnClick(); }); });
    connect(closebtn, &QPushButton::clicked, this, [this] { closebtnClick(); });
    connect(replacebtn, &QPushButton::clicked, this, [this] { platform::RunCommand([this] { replacebtnClick(); }); });
    connect(replaceallbtn, &QPushButton::clicked, this,
            [this] { platform::RunCommand([this] { replaceallbtnClick(); }); });
    setTabOrder(te1->tce, te2->tce);
    setTabOrder(te2->tce, findbtn);
    setTabOrder(findbtn, replacebtn);
    setTabOrder(replacebtn, replaceallbtn);
    setTabOrder(replaceallbtn, closebtn);

    // F3 and Shift+F3 search on here as in the editor.
    auto* next = new QAction(this);
    next->setShortcut(QKeySequence(Qt::Key_F3));
    connect(next, &QAction::triggered, this, [this] { platform::RunCommand([this] { Search(false); }); });
    auto* previous = new QAction(this);
    previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(previous, &QAction::triggered, this, [this] { platform::RunCommand([this] { Search(true); }); });
    addActions({next, previous});

    // The keys and the virtual keyboard follow the focus from one field to the other.
    focusFollower_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == te1->tce) SetActiveField(te1);
        if (now == te2->tce) SetActiveField(te2);
    });

    FormCreate();
}

TFinddlg::~TFinddlg() { disconnect(focusFollower_); }

void TFinddlg::FormCreate() {
    setWindowIcon(keyboard_.windowIcon());
    for (TThaiedit* f : {te1, te2}) {
        f->SetText("");
        f->SetGraphicsize(1);
    }
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
    te1Change(*te1);
    SearchMessage("");
    te1->SetFocus();
    SetActiveField(te1);
}

void TFinddlg::ShowForReplace() {
    if (isVisible())
        FormShow();
    else
        show();
    if (te1->Text().empty()) return;
    if (!te2->Text().empty()) {
        te2->SelectedAll = true;
        te2->Invalidate();
    }
    te2->SetFocus();
    SetActiveField(te2);
}

void TFinddlg::FormActivate() {
    // A click into a field of the window while it was not active chose that field.
    if (focusWidget() == te1->tce) activeField_ = te1;
    if (focusWidget() == te2->tce) activeField_ = te2;
    // The virtual keyboard types into the field with the focus while this window is the active one.
    keyboard_.TypeInto(*activeField_);
    activeField_->SetFocus();
}

void TFinddlg::FormDeactivate() {
    te1->WithdrawOffer();
    te2->WithdrawOffer();
}

void TFinddlg::SetActiveField(TThaiedit* field) {
    if (field != activeField_) activeField_->WithdrawOffer();
    activeField_ = field;
    if (isActiveWindow()) keyboard_.TypeInto(*field);
}

void TFinddlg::FormKeyDown(int& key, platform::ShiftState shift) { activeField_->KeyDown(key, shift); }

void TFinddlg::FormKeyPress(unsigned char& key) { activeField_->InsertChar(key); }

void TFinddlg::te1Change(TThaiedit&) {
    const bool any = !te1->Text().empty();
    for (QPushButton* b : {findbtn, replacebtn, replaceallbtn}) b->setEnabled(any);
}

TThaimemo* TFinddlg::Editor() const { return main_.Tm1.get(); }

void TFinddlg::findbtnClick() { Search(false); }

void TFinddlg::Search(bool backwards) {
    TThaimemo* memo = Editor();
    if (!memo || te1->Text().empty()) return;
    const bool found = backwards ? memo->FindPrevious(te1->Text()) : memo->FindNext(te1->Text());
    if (found)
        SearchMessage("");
    else
        SayNotFound(backwards);
}

void TFinddlg::SayNotFound(bool backwards) {
    TThaimemo* memo = Editor();
    if (!memo || !memo->Contains(te1->Text()))
        SearchMessage("Not found");
    else if (backwards)
        SearchMessage("Reached the start: the next search begins at the end");
    else
        SearchMessage("Reached the end: the next search begins at the top");
}

void TFinddlg::replacebtnClick() {
    TThaimemo* memo = Editor();
    if (!memo || te1->Text().empty()) return;
    if (memo->ReplaceNext(te1->Text(), te2->Text()).found)
        SearchMessage("");
    else
        SayNotFound(false);
}

void TFinddlg::replaceallbtnClick() {
    TThaimemo* memo = Editor();
    if (!memo || te1->Text().empty()) return;
    const int n = memo->ReplaceAll(te1->Text(), te2->Text());
    if (n == 0)
        SearchMessage("Not found");
    else
        SearchMessage("Replaced " + std::to_string(n) + (n == 1 ? " occurrence" : " occurrences"));
}

void TFinddlg::SearchMessage(const std::string& text) {
    main_.ShowStatusMessage(text);
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

// Return (from a field's sink, which leaves it to the window, or with the focus on a button)
// searches, Shift+Return backwards. Other keys that the focused control did not take are the
// active field's, as the sink would hand them on. Escape does not close the dialog: it withdraws
// an offer in the field like any other key.
void TFinddlg::keyPressEvent(QKeyEvent* event) {
    event->accept();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
        activeField_->WithdrawOffer();
        platform::RunCommand([&] { Search(mods.testFlag(Qt::ShiftModifier)); });
        return;
    }
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
