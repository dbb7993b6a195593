#include "app/urianthai.h"

#include <QEvent>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

#include "app/activation.h"
#include "app/menuitem.h"
#include "app/umekalon.h"
#include "app/uthaivk.h"
#include "dictionary/wordlist.h"
#include "inputfield/thaiedit.h"
#include "platform/qt_events.h"
#include "platform/services.h"

Tfrianthai::Tfrianthai(Tfmekalon& main, TFthaivk& keyboard)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      main_(main),
      keyboard_(keyboard) {
    setObjectName("frianthai");
    setWindowTitle("Quick lookup in dictionary");

    // The client area is white and exactly as high as the field; the window is not resizable:
    // its layout keeps it at the size the client area asks for.
    client_ = new QWidget(this);
    client_->setObjectName("client");
    QPalette pal = client_->palette();
    pal.setColor(QPalette::Window, Qt::white);
    client_->setPalette(pal);
    client_->setAutoFillBackground(true);
    setCentralWidget(client_);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    te1 = new TThaiedit(client_);
    te1->setObjectName("te1");
    te1->OnChange = [this](TThaiedit&) { t1Change(); };
    te1->OnResize = [this](TThaiedit&) { t1Resize(); };
    te1->move(0, 0);
    te1->resize(ClientWidth, te1->height());
    // The field's metrics once more at its real width, so that it knows how many cells it shows.
    te1->SetGraphicsize(1);
    // Two lines from the start: the second shows the dictionary line found.
    te1->SetText2(" ");
    t1Resize();

    auto add = [this](const char* name, const char* caption, const char* key, void (Tfrianthai::*handler)()) {
        return menus::AddItem(menuBar(), name, caption, key, menus::Command(this, handler, platform::RunCommand));
    };
    clear = add("clear", "&Clear", nullptr, &Tfrianthai::clearClick);
    N1 = add("N1", "", nullptr, nullptr);
    Next1 = add("Next1", "&Next F3", "F3", &Tfrianthai::Next1Click);
    Next1->setEnabled(false);

    FormCreate();
}

Tfrianthai::~Tfrianthai() {
    // The field goes with the window; its events must not reach a half-destroyed window.
    te1->OnChange = nullptr;
    te1->OnResize = nullptr;
}

void Tfrianthai::FormCreate() {
    te1->SetText("");
    adjustSize();
    if (QScreen* s = screen()) move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

// ---- Searching -----------------------------------------------------------------------------

void Tfrianthai::t1Change() {
    lastpos = 0;
    const std::string& text = te1->Text();
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 0x20) ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20) --last;
    searchword = text.substr(first, last - first);
    if (searchword.empty()) {
        Next1->setEnabled(false);
        return;
    }
    if (main_.diclist.Count() > 0) {
        search();
        return;
    }
    // No dictionary yet: offer to open one. The change comes from a key of the field, so an error
    // reading the file is reported here and the lookup goes on as if nothing had been loaded.
    platform::RunCommand([this] { main_.OpendicselClick(); });
    if (main_.diclist.Count() > 0)
        search();
    else
        close();
}

void Tfrianthai::search() {
    dictionary::DicText& dic = main_.dictext;
    dic.Refresh(main_.diclist);
    lastpos = dictionary::findwild(dic, searchword, lastpos);
    // No further whole-word match: go on with the words that begin with the text, from the top.
    if (lastpos == 0 && !searchword.empty() && searchword.back() != '*') {
        searchword += '*';
        lastpos = dictionary::findwild(dic, searchword, lastpos);
    }
    if (lastpos > 0) {
        const int line = dic.LineOfResult(lastpos);
        if (line >= 0) te1->SetText2(dic.Line(line));
    }
    Next1->setEnabled(lastpos > 0);
}

void Tfrianthai::Next1Click() { search(); }

void Tfrianthai::clearClick() { te1->Clear(); }

// ---- Window --------------------------------------------------------------------------------

void Tfrianthai::t1Resize() { client_->setFixedSize(ClientWidth, te1->height()); }

void Tfrianthai::FormActivate() {
    keyboard_.TypeInto(*te1);
    te1->SetFocus();
}

void Tfrianthai::FormDeactivate() { te1->WithdrawOffer(); }

void Tfrianthai::changeEvent(QEvent* event) {
    RunActivationHandlers(*this, event);
    QMainWindow::changeEvent(event);
}

// ---- The dictionary text, ready before the first key -----------------------------------------

void Tfrianthai::PrepareSearch() {
    main_.dictext.Refresh(main_.diclist);
}

void Tfrianthai::DictionaryChanged() {
    if (prepareQueued_) return;
    prepareQueued_ = true;
    platform::RunLater(this, 0, [this] {
        prepareQueued_ = false;
        if (isVisible()) PrepareSearch();
    });
}

void Tfrianthai::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    PrepareSearch();
}
