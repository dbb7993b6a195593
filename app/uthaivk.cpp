#include "app/uthaivk.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QShowEvent>
#include <qdrawutil.h>

#include "app/menuitem.h"
#include "app/umekalon.h"
#include "editor/thaimemo.h"
#include "platform/qt_keysink.h"
#include "platform/qt_surface.h"
#include "platform/services.h"
#include "script/customthai.h"
#include "script/keytables.h"

namespace {

constexpr int kClientWidth = 619;
constexpr int kPanel1Height = 52;
constexpr int kLabelWidth = 21, kLabelHeight = 22, kLabelLeft = 12, kLabelTop = 1;
constexpr int kChoiceWidth = 21, kChoiceHeight = 24, kChoiceBarLeft = 1, kChoiceBarTop = 23;
constexpr int kKeyWidth = 28, kKeyHeight = 24, kKeysPerRow = 22, kKeyRows = 4;
constexpr int kSpacerStartWidth = 8;
// The byte a key sends is this plus its image number.
constexpr int kFirstGlyphByte = 0xA0;

// The letters of type A: A to Z without Q (no choices) and V (the same choice as W).
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPRSTUWXYZ";
static_assert(sizeof(kLetters) - 1 == 24);

// A key of type B: its name, the byte it sends (the glyph it shows), and for fillers whether it
// sends nothing. Hints are the name with "_" as a space unless one is given.
struct KeyDef {
    const char* name;
    unsigned char byte;
    const char* hint = nullptr;
    bool filler = false;
};

// clang-format off
const KeyDef kTypeB[kKeyRows][kKeysPerRow] = {
    {{"ko_kai", 0xA1}, {"kho_khai", 0xA2}, {"kho_khuat", 0xA3}, {"kho_khwai", 0xA4}, {"kho_khon", 0xA5},
     {"kho_rakhang", 0xA6}, {"ngo_ngu", 0xA7}, {"cho_chan", 0xA8}, {"cho_ching", 0xA9}, {"cho_chang", 0xAA},
     {"so_so", 0xAB}, {"cho_choe", 0xAC}, {"yo_ying", 0xAD}, {"do_chada", 0xAE}, {"to_patak", 0xAF},
     {"tho_than", 0xB0}, {"tho_montho", 0xB1}, {"tho_phuthao", 0xB2}, {"no_nen", 0xB3}, {"do_dek", 0xB4},
     {"to_tau", 0xB5}, {"tho_thung", 0xB6}},
    {{"tho_thahan", 0xB7}, {"tho_thong", 0xB8}, {"no_nu", 0xB9}, {"bo_baimai", 0xBA}, {"po_pla", 0xBB},
     {"pho_phung", 0xBC}, {"fo_fa", 0xBD}, {"pho_phan", 0xBE}, {"fo_fan", 0xBF}, {"pho_samphao", 0xC0},
     {"mo_ma", 0xC1}, {"yo_yak", 0xC2}, {"ro_rua", 0xC3}, {"lo_ling", 0xC5}, {"wo_waen", 0xC7},
     {"so_sala", 0xC8}, {"so_rusi", 0xC9}, {"so_sua", 0xCA}, {"ho_hip", 0xCB}, {"lo_chula", 0xCC},
     {"o_ang", 0xCD}, {"ho_nokhuk", 0xCE}},
    {{"sara_a", 0xD0}, {"maihanakat", 0xD1}, {"sara_aa", 0xD2}, {"sara_am", 0xD3}, {"sara_i", 0xD4},
     {"sara_ii", 0xD5}, {"sara_ue", 0xD6}, {"sara_uee", 0xD7}, {"sara_u", 0xD8}, {"sara_uu", 0xD9},
     {"sara_e", 0xE0}, {"sara_ae", 0xE1}, {"sara_o", 0xE2}, {"sara_ai_maimuan", 0xE3},
     {"sara_ai_maimalai", 0xE4}, {"ru", 0xC4}, {"lu", 0xC6}, {"lakkhangyao", 0xE5},
     {"tr1", 0xA0, "", true}, {"mai_ek", 0xE8}, {"mai_tho", 0xE9}, {"mai_tri", 0xEA}},
    {{"sun", 0xF0, "0 sun"}, {"nung", 0xF1, "1 nung"}, {"song", 0xF2, "2 song"}, {"sam", 0xF3, "3 sam"},
     {"si", 0xF4, "4 si"}, {"ha", 0xF5, "5 ha"}, {"hok", 0xF6, "6 hok"}, {"chet", 0xF7, "7 chet"},
     {"paet", 0xF8, "8 paet"}, {"kao", 0xF9, "9 kao"}, {"baht", 0xDF, "Bahtsymbol"},
     {"tr2", 0xA0, "", true}, {"fongman", 0xEF}, {"tr3", 0xA0, "", true}, {"paiyannoi", 0xCF},
     {"maiyamok", 0xE6}, {"pinthu", 0xDA}, {"khomut", 0xFB}, {"tr4", 0xEE, "", true},
     {"mai_chattawa", 0xEB}, {"karan", 0xEC, "karan (thanthakhat)"}, {"maitaikhu", 0xE7}},
};
// clang-format on

QString HintOf(const KeyDef& k) {
    if (k.hint) return QString::fromLatin1(k.hint);
    return QString::fromLatin1(k.name).replace(QLatin1Char('_'), QLatin1Char(' '));
}

// The system's menu colour: the window's background and the key faces.
QColor MenuColor() { return QApplication::palette("QMenu").color(QPalette::Window); }

}  // namespace

// ---- TToolButton ---------------------------------------------------------------------------

TToolButton::TToolButton(QWidget* parent, const char* name, int width, int height, bool separator)
    : QWidget(parent), separator_(separator) {
    setObjectName(QString::fromLatin1(name));
    setFocusPolicy(Qt::NoFocus);
    resize(width, height);
}

void TToolButton::SetImageIndex(int index) {
    if (index == imageIndex_) return;
    imageIndex_ = index;
    update();
}

void TToolButton::paintEvent(QPaintEvent*) {
    if (separator_) return;
    QPainter p(this);
    const QColor face = MenuColor();
    p.fillRect(rect(), face);
    QPalette pal = palette();
    pal.setColor(QPalette::Button, face);
    qDrawShadePanel(&p, rect(), pal, down_, 1);
    auto* bar = qobject_cast<TToolBar*>(parentWidget());
    if (!bar || !bar->Images || imageIndex_ < 0 || imageIndex_ >= bar->Images->Count()) return;
    // On a HiDPI screen the key cap comes from the glyph images drawn for its device pixels.
    const int detail = bar->Images->DetailFor(devicePixelRatioF());
    platform::Bitmap glyph;
    bar->Images->GetBitmap(imageIndex_, glyph, platform::RGB(face.red(), face.green(), face.blue()), detail);
    QImage cap = platform::QtImage(glyph);
    cap.setDevicePixelRatio(detail);
    const int dx = down_ ? 1 : 0;
    p.drawImage((width() - glyph.Width() / detail) / 2 + dx, (height() - glyph.Height() / detail) / 2 + dx, cap);
}

void TToolButton::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (separator_) return;
    down_ = true;
    update();
    if (OnMouseDown) {
        const platform::ShiftState shift = platform::ShiftFromQt(event->modifiers(), event->buttons());
        const QPoint pos = event->position().toPoint();
        platform::RunCommand([&] { OnMouseDown(this, platform::ButtonFromQt(event->button()), shift, pos.x(), pos.y()); });
    }
}

void TToolButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (down_ && event->buttons() == Qt::NoButton) {
        down_ = false;
        update();
    }
}

// ---- TToolBar ------------------------------------------------------------------------------

TToolBar::TToolBar(QWidget* parent, const char* name, int buttonHeight)
    : QWidget(parent), buttonHeight_(buttonHeight) {
    setObjectName(QString::fromLatin1(name));
}

void TToolBar::Add(TToolButton* button) {
    button->setParent(this);
    buttons_.push_back(button);
}

int TToolBar::Relayout() {
    int x = 0, y = 0, rows = 0;
    for (TToolButton* b : buttons_) {
        if (x > 0 && x + b->width() > width()) {  // no room left in this row
            x = 0;
            y += buttonHeight_;
        }
        b->move(x, y);
        rows = y / buttonHeight_ + 1;
        x += b->width();
        if (b->Wrap) {
            x = 0;
            y += buttonHeight_;
        }
    }
    return rows;
}

// ---- TStaticText ---------------------------------------------------------------------------

TStaticText::TStaticText(QWidget* parent, char letter) : QLabel(parent) {
    setObjectName(QStringLiteral("StaticText") + QChar::fromLatin1(static_cast<char>(letter - 'A' + 'a')));
    setText(QString(QChar::fromLatin1(letter)));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
    setMouseTracking(true);
}

void TStaticText::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    if (!OnMouseMove) return;
    const platform::ShiftState shift = platform::ShiftFromQt(event->modifiers(), event->buttons());
    const QPoint pos = event->position().toPoint();
    platform::RunCommand([&] { OnMouseMove(this, shift, pos.x(), pos.y()); });
}

// ---- TFthaivk ------------------------------------------------------------------------------

TFthaivk::TFthaivk(Tfmekalon& main)
    : QMainWindow(&main, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                              Qt::MSWindowsFixedSizeDialogHint | Qt::WindowDoesNotAcceptFocus),
      main_(main) {
    setObjectName("Fthaivk");
    // A tool window of its parent (the main window), so it stays above it. It never takes the
    // keyboard focus: a click on a key leaves the focus with the control the key types into,
    // and physical keys go on reaching that control directly.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle("Mekalon - Virtual Keyboard");

    // Menu bar: each command is followed by an empty item that runs nothing.
    auto item = [this](const char* name, const char* caption, void (TFthaivk::*handler)()) {
        return menus::AddItem(menuBar(), name, caption, nullptr, menus::Command(this, handler, platform::RunCommand));
    };
    closeform = item("closeform", "&Close", &TFthaivk::closeformClick);
    N1 = item("N1", "", nullptr);
    Switch1 = item("Switch1", "&Switch", &TFthaivk::Switch1Click);
    N2 = item("N2", "", nullptr);

    client = new QWidget(this);
    client->setObjectName("client");
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, MenuColor());
    client->setPalette(pal);
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    // Physical keys typed while this window is active go to the same target as the clicks.
    sink_ = new platform::KeySink(client);
    sink_->setObjectName("keys");
    sink_->OnKeyPress = [this](unsigned char& key) { FormKeyPress(key); };
    sink_->OnKeyDown = [this](int& key, platform::ShiftState shift) { FormKeyDown(key, shift); };

    BuildTypeA();
    BuildTypeB();
    move(170, 33);
    FormCreate();
}

void TFthaivk::BuildTypeA() {
    Panel1 = new QWidget(client);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, kClientWidth, kPanel1Height);

    platform::Surface fontSource;  // "Fixedsys" as the platform draws it
    fontSource.SetFontName("Fixedsys");
    fontSource.SetFontHeight(15);
    fontSource.SetFontStyle(platform::fsBold);
    const QFont letterFont = platform::QtFont(fontSource);
    for (int k = 0; k < 24; ++k) {
        auto* label = new TStaticText(Panel1, kLetters[k]);
        label->setFont(letterFont);
        label->setGeometry(kLabelLeft + kLabelWidth * k, kLabelTop, kLabelWidth, kLabelHeight);
        label->OnMouseMove = [this](TStaticText* sender, platform::ShiftState shift, int x, int y) {
            StaticTextMouseMove(sender, shift, x, y);
        };
        StaticTexts[static_cast<size_t>(k)] = label;
    }

    ToolBar1 = new TToolBar(Panel1, "ToolBar1", kChoiceHeight);
    ToolBar1->setGeometry(kChoiceBarLeft, kChoiceBarTop, kClientWidth - kChoiceBarLeft, kChoiceHeight);
    ToolBar1->Images = &Images;
    tb2sep = new TToolButton(ToolBar1, "tb2sep", kSpacerStartWidth, kChoiceHeight, true);
    ToolBar1->Add(tb2sep);
    for (int i = 0; i < 8; ++i) {
        const std::string name = "ToolButton" + std::to_string(i + 1);
        auto* b = new TToolButton(ToolBar1, name.c_str(), kChoiceWidth, kChoiceHeight);
        b->OnMouseDown = [this](TToolButton* sender, platform::MouseButton button, platform::ShiftState shift, int x,
                                int y) { toolbar2btnMouseDown(sender, button, shift, x, y); };
        ToolBar1->Add(b);
        ToolButtons[static_cast<size_t>(i)] = b;
    }
}

void TFthaivk::BuildTypeB() {
    ToolBar2 = new TToolBar(client, "ToolBar2", kKeyHeight);
    ToolBar2->setGeometry(0, kPanel1Height, kClientWidth, kKeyRows * kKeyHeight);
    ToolBar2->Images = &Images;
    for (const auto& row : kTypeB) {
        for (const KeyDef& def : row) {
            auto* b = new TToolButton(ToolBar2, def.name, kKeyWidth, kKeyHeight);
            b->SetImageIndex(def.byte - kFirstGlyphByte);
            b->setToolTip(HintOf(def));
            if (!def.filler)
                b->OnMouseDown = [this](TToolButton* sender, platform::MouseButton button, platform::ShiftState shift,
                                        int x, int y) { toolbar2btnMouseDown(sender, button, shift, x, y); };
            ToolBar2->Add(b);
        }
        ToolBar2->Buttons().back()->Wrap = true;
    }
    ToolBar2->Relayout();
}

void TFthaivk::FormCreate() {
    // The key caps: a copy of the shared glyph images, drawn on the key face.
    if (GlyphImages) Images.Assign(*GlyphImages);

    // The blank choice keys wait on the hidden second row until a letter is hovered.
    tb2sep->Wrap = true;
    ToolBar1->Relayout();

    SetClientHeight(Panel1->height() + ToolBar2->height());

    if (main_.Tm1) {
        TThaimemo* memo = main_.Tm1.get();
        OnChar = [memo](unsigned char& key) { memo->KeyPress(key); };
        setWindowIcon(main_.latinicon);
    }
}

void TFthaivk::SetClientHeight(int height) {
    clientHeight_ = height;
    ToolBar2->move(0, Panel1->isHidden() ? 0 : Panel1->height());
    client->setFixedSize(kClientWidth, height);
    int menuHeight = menuBar()->heightForWidth(kClientWidth);
    if (menuHeight < 0) menuHeight = menuBar()->sizeHint().height();
    setFixedSize(kClientWidth, menuHeight + height);
}

void TFthaivk::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    sink_->setFocus();
}

TStaticText* TFthaivk::LetterLabel(char letter) const {
    for (TStaticText* t : StaticTexts)
        if (t->text() == QString(QChar::fromLatin1(letter))) return t;
    return nullptr;
}

TToolButton* TFthaivk::Key(const char* name) const {
    for (TToolButton* b : ToolBar2->Buttons())
        if (b->objectName() == QLatin1String(name)) return b;
    return nullptr;
}

void TFthaivk::SendChar(unsigned char byte) { FormKeyPress(byte); }

void TFthaivk::FormKeyPress(unsigned char& key) {
    if (OnChar) OnChar(key);
}

void TFthaivk::FormKeyDown(int& key, platform::ShiftState shift) {
    if (OnKeyDown) OnKeyDown(key, shift);
}

void TFthaivk::toolbar2btnMouseDown(TToolButton* sender, platform::MouseButton, platform::ShiftState, int, int) {
    unsigned char key = static_cast<unsigned char>(kFirstGlyphByte + sender->ImageIndex());
    if (OnChar) FormKeyPress(key);
}

void TFthaivk::StaticTextMouseMove(TStaticText* sender, platform::ShiftState, int, int) {
    const QString caption = sender->text();
    if (caption.isEmpty()) return;
    const char letter = caption[0].toUpper().toLatin1();
    if (letter < 'A' || letter > 'Z') return;
    const auto& row = thai::ChoiceLists[static_cast<size_t>(letter - 'A')];

    tb2sep->Wrap = false;
    for (size_t i = 0; i < 8; ++i) ToolButtons[i]->SetImageIndex(row[i] - kFirstGlyphByte);
    // The letter's choices stand in one row; the blanks after them go to the hidden second row.
    for (size_t i = 0; i < 7; ++i) ToolButtons[i]->Wrap = ToolButtons[i + 1]->ImageIndex() == 0;

    // The first choice stands under the hovered letter, except that the long rows of T, X and
    // Z start under R, S and T, clear of the window's right edge.
    TStaticText* under = sender;
    if (letter == 'T') under = LetterLabel('R');
    if (letter == 'X') under = LetterLabel('S');
    if (letter == 'Z') under = LetterLabel('T');
    tb2sep->resize(under->x(), tb2sep->height());
    ToolBar1->Relayout();
}

void TFthaivk::Switch1Click() {
    // both -> type A only -> neither -> type B only -> both
    if (Panel1->isHidden() == ToolBar2->isHidden())
        ToolBar2->setHidden(!ToolBar2->isHidden());
    else
        Panel1->setHidden(!Panel1->isHidden());
    SetClientHeight((Panel1->isHidden() ? 0 : Panel1->height()) + (ToolBar2->isHidden() ? 0 : ToolBar2->height()));
}

void TFthaivk::closeformClick() { hide(); }
