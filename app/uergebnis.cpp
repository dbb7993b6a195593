#include "app/uergebnis.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <chrono>
#include <utility>

#include "app/menuitem.h"
#include "app/umekalon.h"
#include "dictionary/wordlist.h"
#include "platform/cancel.h"
#include "platform/services.h"

namespace {

using Clock = std::chrono::steady_clock;
// While a search lists its lines, the scroll range follows them at most this often.
constexpr auto kShowEvery = std::chrono::milliseconds(33);

}  // namespace

TFergebnis::TFergebnis(Tfmekalon& main, DragState& drag) : main_(main) {
    setObjectName("Fergebnis");
    setWindowTitle(QString());
    resize(530, 328);
    // Centred on the screen, not over the editor's text at the top left.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    host = new platform::ThaiHost(this);
    host->SetScrollStep(platform::ScrollBar::Horizontal, 12);
    host->SetScrollStep(platform::ScrollBar::Vertical, 32);
    setCentralWidget(host);
    results = std::make_unique<TThailist>();
    results->HighLightColor = platform::clYellow;
    results->ShareDragState(drag);
    results->Attach(host);

    auto add = [this](const char* name, const char* caption, void (TFergebnis::*handler)(), const char* key) {
        return menus::AddItem(menuBar(), name, caption, key, menus::Command(this, handler, platform::RunCommand));
    };
    add("SelectWord1", "Select &Word", &TFergebnis::SelectWord1Click, nullptr);
    add("SelectLine1", "Select &Line", &TFergebnis::SelectLinewhole1Click, nullptr);
    add("selectall1", "Select &All", &TFergebnis::Selectallclick, nullptr);
    add("Copy1", "&Copy Selection", &TFergebnis::Copy1Click, "Ctrl+C");
    add("N1", "", nullptr, nullptr);
    add("Wordwrap", "Wordwrap", &TFergebnis::WordwrapClick, nullptr);
}

TFergebnis::~TFergebnis() {
    if (results) results->Destroying = true;
}

void TFergebnis::searchline() {
    if (search_ && !search_->Cancelled()) {
        search_->Cancel();  // the running search stops after the line it listed
        return;
    }
    const std::string selected = main_.Tm1->SelectedText();
    if (dictionary::SearchSubject(selected).empty()) return;

    // The search is registered while it runs: Esc, a second Wordlist or closing this window
    // cancels it. A search started while a stopped one winds down takes its place until it ends.
    platform::RunningJob job;
    struct Current {
        platform::RunningJob*& slot;
        platform::RunningJob* before;
        ~Current() { slot = before; }
    } current{search_, std::exchange(search_, &job)};
    results->Clear();
    show();
    raise();
    dictionary::DicText& dic = main_.dictext;
    // Setting the scroll range repaints the scroll bars: while the lines come in, the range
    // follows them at most about 30 times a second, not with every line.
    auto shown = Clock::now();
    dictionary::SearchResult found;
    results->DeferScrollRanges(true);
    // Between listed lines (a find that scans a large dictionary, the analysis of a long text, the
    // whole-word index that the first search after a change builds) the search lets events run
    // every few hundredths of a second, so that the window answers and Esc stops it at once.
    bool preparing = false;  // the caption shows the building of the index
    dictionary::Progress progress([this, &dic, &job, &preparing](int permille) {
        if (!dic.Indexed()) {
            setWindowTitle(QString("Preparing the dictionary %1% - ESC to break").arg(permille / 10));
            preparing = true;
        } else if (preparing) {
            setWindowTitle("Searching - ESC to break");
            preparing = false;
        }
        platform::Current().ProcessMessages();
        return !job.Cancelled();
    });
    try {
        dic.Refresh(main_.diclist);
        found = dictionary::SearchText(
            dic, selected,
            [this, &dic, &shown, &job](int index) {
                results->AddLine(std::string(dic.Line(index)));
                if (const auto now = Clock::now(); now - shown >= kShowEvery) {
                    results->SetScrollRanges(true);
                    shown = now;
                }
                platform::Current().ProcessMessages();
                return !job.Cancelled();
            },
            progress);
    } catch (...) {
        results->DeferScrollRanges(false);
        throw;
    }
    results->DeferScrollRanges(false);
    results->InsertLine(0, found.header);
    QString caption = QString::fromStdString(dictionary::CaptionFor(results->LineCount() - 1, found.warning));
    if (job.Cancelled()) caption += "...interrupted";
    setWindowTitle(caption);
    results->ResetView();
}

void TFergebnis::SelectWord1Click() { results->SelectWord(); }
void TFergebnis::SelectLinewhole1Click() { results->SelectLine(); }
void TFergebnis::Selectallclick() { results->SelectAll(); }
void TFergebnis::Copy1Click() { results->CopySelection(); }
void TFergebnis::WordwrapClick() { results->WordWrap(); }

void TFergebnis::closeEvent(QCloseEvent* event) {
    if (search_) search_->Cancel();
    results->Clear();
    QMainWindow::closeEvent(event);
}
