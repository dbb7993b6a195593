#include "app/umekalon.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <filesystem>

#include "app/activation.h"
#include "app/appicon.h"
#include "app/currency.h"
#include "app/helptext.h"
#include "app/menuitem.h"
#include "app/settings.h"
#include "app/statusbar.h"
#include "app/uabout.h"
#include "app/uergebnis.h"
#include "app/ufinddlg.h"
#include "app/umsgbox.h"
#include "app/urianthai.h"
#include "app/uthaivk.h"
#include "inputfield/thaiedit.h"
#include "platform/cancel.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/qt_events.h"
#include "platform/qt_services.h"
#include "script/customthai.h"

namespace {


std::string FileNamePart(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// An open dialog's file name: the pattern, in the folder of the file last used when there is one.
std::string InFolderOf(const std::string& lastFile, const char* pattern) {
    if (lastFile.empty()) return pattern;
    return (std::filesystem::path(lastFile).parent_path() / pattern).string();
}

// A request for the main window's open dialog (file name preset) or its single save dialog
// (default extension "txt", asking before a file is replaced).
platform::FileDialogRequest OpenRequest(const char* title, int filterIndex, const char* fileName) {
    platform::FileDialogRequest r;
    r.title = title;
    r.filter = kFileFilter;
    r.filterIndex = filterIndex;
    r.fileName = fileName;
    return r;
}

platform::FileDialogRequest SaveRequest(const char* title, int filterIndex, const std::string& fileName) {
    platform::FileDialogRequest r = OpenRequest(title, filterIndex, "");
    r.fileName = fileName;
    r.defaultExt = "txt";
    r.overwritePrompt = true;
    return r;
}

// The save dialog with the file's encoding as its type, the current one preselected; the one
// chosen goes into the format (a change of encoding drops the byte order mark).
std::optional<std::string> SaveDialogWithEncoding(platform::FileDialogRequest request, platform::TextFormat& format) {
    request.encodings = {platform::EncodingName(platform::TextEncoding::Tis620),
                         platform::EncodingName(platform::TextEncoding::Utf8)};
    request.encoding = platform::EncodingName(format.encoding);
    const auto choice = platform::Current().SaveFileDialogWithEncoding(request);
    if (!choice) return std::nullopt;
    const auto encoding = platform::EncodingFromName(choice->encoding);
    if (encoding && *encoding != format.encoding) {
        format.encoding = *encoding;
        format.byteOrderMark = false;
    }
    return choice->path;
}

// The title-bar icons of the input modes: a 16 x 16 letter on a coloured square; at the larger
// sizes (task bar, window switcher) the application icon.
QIcon ModeIcon(QColor background, const char* letters) {
    QPixmap pm(16, 16);
    pm.fill(background);
    QIcon icon;
    for (int size : {24, 32, 48, 64, 128, 256}) icon.addPixmap(AppIcon().pixmap(size));
    QPainter p(&pm);
    QFont f("DejaVu Sans");
    f.setPixelSize(letters[1] ? 8 : 12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(pm.rect(), Qt::AlignCenter, QString::fromLatin1(letters));
    p.end();
    icon.addPixmap(pm);
    return icon;
}

}  // namespace

Tfmekalon::Tfmekalon(DragState& drag) : Tm1(std::make_unique<TThaimemo>()), textfile(Tm1->Document().FileName) {
    setObjectName("fmekalon");
    resize(640, 380);
    host = new platform::ThaiHost(this);
    host->setObjectName("client");
    host->SetColor(platform::clWhite);
    host->SetScrollStep(platform::ScrollBar::Horizontal, 12);
    host->SetScrollStep(platform::ScrollBar::Vertical, 32);
    host->Canvas().SetFontName("Fixedsys");
    host->Canvas().SetFontHeight(13);
    setCentralWidget(host);
    BuildMenu();
    statusLine = new TStatusLine(this);
    setStatusBar(statusLine);
    statusLine->OnRefresh = [this] { ShowStatus(); };
    Tm1->HighLightColor = platform::clYellow;
    Tm1->ShareDragState(drag);
    Tm1->Attach(host);
    textfile = "noname.txt";
    // Every move of the cursor draws the caret: the status bar shows the new place.
    Tm1->OnCaretDrawn = [this] { ShowStatus(); };
    documentWatch_ = Tm1->Document().AddWatcher({.modifiedChanged = [this] { SetTitle(); },
                                                 .historyChanged = [this] { ShowUndoState(); },
                                                 .fileChanged = [this] { ShowStatus(); }});
    ShowUndoState();
    thaiicon = ModeIcon(QColor(0, 120, 0), "T");
    latinicon = ModeIcon(QColor(0, 0, 160), "E");
    thaiazicon = ModeIcon(QColor(160, 0, 0), "AZ");
    setWindowIcon(latinicon);
    WatchZoomWheel();
    FormCreate();
    ShowStatus();
}

Tfmekalon::~Tfmekalon() {
    if (Tm1) {
        Tm1->Destroying = true;
        Tm1->OnCaretDrawn = nullptr;
    }
}

void Tfmekalon::RunMenuCommand(const std::function<void()>& command) {
    platform::RunCommand(command);
    ShowStatus();
    settings::Keep(*this);
}

void Tfmekalon::BuildMenu() {
    QMenuBar* bar = menuBar();
    // Every command of the main window runs as a menu command (RunMenuCommand).
    const auto run = [this](const std::function<void()>& command) { RunMenuCommand(command); };
    auto submenu = [&](const char* name, const char* caption, void (Tfmekalon::*onOpen)()) {
        return menus::AddMenu(bar, name, caption, menus::Command(this, onOpen, run));
    };
    auto AddItem = [&](QWidget* menu, const char* name, const char* caption, const char* shortcut,
                       void (Tfmekalon::*handler)()) {
        return menus::AddItem(menu, name, caption, shortcut, menus::Command(this, handler, run));
    };
    auto AddBarItem = [&](const char* name, const char* caption, const char* shortcut, void (Tfmekalon::*handler)()) {
        return AddItem(bar, name, caption, shortcut, handler);
    };
    using menus::AddSeparator;

    fileopt = submenu("fileopt", "&File", nullptr);
    newfilesel = AddItem(fileopt, "newfilesel", "&New", nullptr, &Tfmekalon::newfileselClick);
    Openfilesel = AddItem(fileopt, "Openfilesel", "&Open...", "Ctrl+O", &Tfmekalon::OpenfileselClick);
    RecentFiles = menus::AddMenu(fileopt, "RecentFiles", "Recent &Files");
    savefilesel = AddItem(fileopt, "savefilesel", "&Save", "Ctrl+S", &Tfmekalon::savefileselClick);
    SavefileAssel = AddItem(fileopt, "SavefileAssel", "Save &As...", "Ctrl+Shift+S", &Tfmekalon::SavefileAsselClick);
    N1 = AddSeparator(fileopt, "N1");
    Printsel = AddItem(fileopt, "Printsel", "&Print...", "Ctrl+P", &Tfmekalon::PrintselClick);
    PrintPreviewsel = AddItem(fileopt, "PrintPreviewsel", "Print Pre&view...", nullptr, &Tfmekalon::PrintPreviewselClick);
    N2 = AddSeparator(fileopt, "N2");
    Exit1 = AddItem(fileopt, "Exit1", "E&xit", "Ctrl+Q", &Tfmekalon::Exit1Click);

    editopt = submenu("editopt", "&Edit", &Tfmekalon::editoptClick);
    connect(editopt, &QMenu::aboutToHide, this, [this] {
        for (QAction* a : {Cutsel, Copysel, Pastesel, Deletesel}) a->setEnabled(true);
    });
    Undo1 = AddItem(editopt, "Undo1", "&Undo", "Ctrl+Z", &Tfmekalon::Undo1Click);
    Redo1 = AddItem(editopt, "Redo1", "&Redo", "Ctrl+Shift+Z", &Tfmekalon::Redo1Click);
    N11 = AddSeparator(editopt, "N11");
    Cutsel = AddItem(editopt, "Cutsel", "Cu&t", "Ctrl+X", &Tfmekalon::CutselClick);
    Copysel = AddItem(editopt, "Copysel", "&Copy", "Ctrl+C", &Tfmekalon::CopyselClick);
    Pastesel = AddItem(editopt, "Pastesel", "&Paste", "Ctrl+V", &Tfmekalon::PasteselClick);
    Deletesel = AddItem(editopt, "Deletesel", "Delete", nullptr, &Tfmekalon::DeleteselClick);
    // Once the menu is closed Ctrl+X, Ctrl+C and Ctrl+V reach their commands whatever the menu
    // showed: each does nothing without a selection or clipboard text.
    connect(editopt, &QMenu::aboutToHide, this, [this] {
        for (QAction* a : {Cutsel, Copysel, Pastesel}) a->setEnabled(true);
    });
    N3 = AddSeparator(editopt, "N3");
    SelectWord1 = AddItem(editopt, "SelectWord1", "Select &Word", nullptr, &Tfmekalon::SelectWord1Click);
    SelectLine1 = AddItem(editopt, "SelectLine1", "Select &Line", nullptr, &Tfmekalon::SelectLine1Click);
    SelectAll = AddItem(editopt, "SelectAll", "Select &All", "Ctrl+A", &Tfmekalon::SelectAllClick);
    N12 = AddSeparator(editopt, "N12");
    Find1 = AddItem(editopt, "Find1", "&Find...", "Ctrl+F", &Tfmekalon::searchesClick);
    FindNext1 = AddItem(editopt, "FindNext1", "Find &Next", "F3", &Tfmekalon::FindNext1Click);
    FindPrevious1 = AddItem(editopt, "FindPrevious1", "Find Pre&vious", "Shift+F3", &Tfmekalon::FindPrevious1Click);
    Replace1 = AddItem(editopt, "Replace1", "&Replace...", "Ctrl+H", &Tfmekalon::Replace1Click);
    N6 = AddSeparator(editopt, "N6");
    Wordwrap1 = AddItem(editopt, "Wordwrap1", "Wordwra&p", nullptr, &Tfmekalon::Wordwrap1Click);
    N9 = AddSeparator(editopt, "N9");
    nrlines = AddItem(editopt, "nrlines", "0", nullptr, nullptr);

    VirtualKbd1 = AddBarItem("VirtualKbd1", "&Virtual Kbd", nullptr, &Tfmekalon::VirtualKbd1Click);
    KeyboardF21 = AddBarItem("KeyboardF21", "&Kbd F2", "F2", &Tfmekalon::KeyboardF21Click);
    // F2 switches the layout from every window of the program (the find and lookup fields and
    // the virtual keyboard follow the editor's modes).
    KeyboardF21->setShortcutContext(Qt::ApplicationShortcut);
    ThaionAZ1 = AddBarItem("ThaionAZ1", "&Thai on A..Z", nullptr, &Tfmekalon::ThaionAZ1Click);
    // F3 finds the next occurrence (Edit > Find Next); the item opens the find window.
    searches = AddBarItem("searches", "&Search F3", nullptr, &Tfmekalon::searchesClick);

    options = submenu("options", "&Options", &Tfmekalon::optionsClick);
    Fixedsys = AddItem(options, "Fixedsys", "&Select Font ...", nullptr, &Tfmekalon::selectfontclick);
    N4 = AddSeparator(options, "N4");
    previousfont = AddItem(options, "previousfont", "&Previous Font", nullptr, &Tfmekalon::previousfontClick);
    Smallgraphics = AddItem(options, "Smallgraphics", "&Small Graphics", nullptr, &Tfmekalon::smallgraphicsClick);
    MediumGraphics = AddItem(options, "MediumGraphics", "&Medium Graphics", nullptr, &Tfmekalon::MediumGraphicsClick);
    Largegraphics = AddItem(options, "Largegraphics", "&Large Graphics", nullptr, &Tfmekalon::Largegraphicsclick);
    ZoomIn1 = AddItem(options, "ZoomIn1", "Zoom &In", "Ctrl++", &Tfmekalon::ZoomIn1Click);
    ZoomIn1->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")});
    ZoomOut1 = AddItem(options, "ZoomOut1", "Zoom &Out", "Ctrl+-", &Tfmekalon::ZoomOut1Click);
    N8 = AddSeparator(options, "N8");
    hardreturn = AddItem(options, "hardreturn", "&Hard Return", nullptr, &Tfmekalon::hardreturnClick);
    for (QAction* a : {previousfont, Smallgraphics, MediumGraphics, Largegraphics, hardreturn}) a->setCheckable(true);
    Smallgraphics->setChecked(true);
    // The editor starts with hard return on; the mark starts in agreement with it.
    hardreturn->setChecked(true);

    Dictionary = submenu("Dictionary", "&Dictionary", &Tfmekalon::DictionaryClick);
    Opendicsel = AddItem(Dictionary, "Opendicsel", "&Open...", nullptr, &Tfmekalon::OpendicselClick);
    RecentDictionaries = menus::AddMenu(Dictionary, "RecentDictionaries", "&Recent Dictionaries");
    Appenddicsel = AddItem(Dictionary, "Appenddicsel", "&Append...", nullptr, &Tfmekalon::AppenddicselClick);
    Savedicassel = AddItem(Dictionary, "Savedicassel", "&Save As ...", nullptr, &Tfmekalon::SavedicasselClick);
    N5 = AddSeparator(Dictionary, "N5");
    InsertCursorline = AddItem(Dictionary, "InsertCursorline", "&Insert Line in dictionary", nullptr,
                               &Tfmekalon::InsertCursorlineClick);
    DeleteLineindictionary1 = AddItem(Dictionary, "DeleteLineindictionary1", "&Delete Line in dictionary", nullptr,
                                      &Tfmekalon::Deleteindictionary1Click);
    N7 = AddSeparator(Dictionary, "N7");
    dictname = AddItem(Dictionary, "dictname", "noname.dic", nullptr, nullptr);
    nrdiclines = AddItem(Dictionary, "nrdiclines", "0", nullptr, nullptr);

    Wordlist = AddBarItem("Wordlist", "&Wordlist", nullptr, &Tfmekalon::WordlistClick);
    Lookup1 = AddBarItem("Lookup1", "&Lookup", nullptr, &Tfmekalon::Lookup1Click);

    N10 = submenu("N10", "&Convert", nullptr);
    Multiplywith = AddItem(N10, "Multiplywith", "&Multiply with 40", nullptr, &Tfmekalon::MultiplywithClick);
    Divideby = AddItem(N10, "Divideby", "&Divide by 40", nullptr, &Tfmekalon::DividebyClick);
    ChangeFactorDivisor = AddItem(N10, "ChangeFactorDivisor", "&Change Factor/Divisor", nullptr,
                                  &Tfmekalon::ChangeFactorDivisorClick);

    About1 = AddBarItem("About1", "&About ...", nullptr, &Tfmekalon::About1Click);
    ShowRecentLists();

    // The window opens wide enough to show the whole menu bar (no item behind the extension
    // button), within the screen.
    int wide = std::max(width(), bar->sizeHint().width());
    if (const QScreen* s = screen()) wide = std::min(wide, s->availableGeometry().width());
    resize(wide, height());
}

// ---- Start-up, activation, closing ---------------------------------------------------------

void Tfmekalon::FormCreate() {
    factor = 40;
    diclist.OnChange = [this] { dicchange(); };
    dicchanged = false;
    newfileselClick();
    textfile = "noname.txt";
    dicfile = "noname.dic";
    if (QScreen* s = screen()) move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void Tfmekalon::FormActivate() {
    if (tools_.Fthaivk) tools_.Fthaivk->TypeInto(*Tm1);
    // After the activation has been handled: the check may ask a question.
    platform::RunLater(this, 0, [this] { CheckFilesOnDisk(); });
}

void Tfmekalon::FormDeactivate() { Tm1->CancelOffer(); }

void Tfmekalon::changeEvent(QEvent* event) {
    RunActivationHandlers(*this, event);
    QMainWindow::changeEvent(event);
}

bool Tfmekalon::FormCloseQuery() {
    if (!AskSaveText()) return false;
    if (!AskSaveDictionary()) return false;
    return true;
}

void Tfmekalon::closeEvent(QCloseEvent* event) {
    // One close at a time. A close asked for while another modal window is open is refused.
    if (closing_ || QApplication::activeModalWidget()) {
        event->ignore();
        return;
    }
    bool allow = false;  // refused unless the questions allow it
    {
        // While the questions are open the window system's close button stays live, and the
        // toolkit takes a second close of a window that is closing already (File > Exit closes it)
        // as done, without asking here: the window's own close events are refused until the open
        // question has decided.
        const QScopedValueRollback<bool> closing(closing_, true);
        QWindow* const window = windowHandle();
        if (window) window->installEventFilter(this);
        platform::RunCommand([&] { allow = FormCloseQuery(); });
        if (window) window->removeEventFilter(this);
    }
    if (!allow) {
        event->ignore();
        return;
    }
    if (AfterCloseAllowed) AfterCloseAllowed();
    event->accept();
    // FormClose: closing the main window ends the program, whatever tool windows are open, and
    // whatever long job still runs.
    platform::CancelRunningJobs();
    QCoreApplication::quit();
}

bool Tfmekalon::eventFilter(QObject* watched, QEvent* event) {
    if (closing_ && event->type() == QEvent::Close && watched == windowHandle()) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Title and questions -------------------------------------------------------------------

void Tfmekalon::SetTitle() {
    const QString title = QString::fromLocal8Bit(FileNamePart(textfile)) + QLatin1Char('-') + QString::fromLatin1(kProgramVersion);
    setWindowTitle(Tm1 && Tm1->Modified ? QStringLiteral("*") + title : title);
    // Message boxes carry it. The application's name stays the desktop entry's id, which the
    // desktop matches the window with.
    platform::SetApplicationTitle(title.toStdString());
}

bool Tfmekalon::AskSave(const bool& changed, const char* question, void (Tfmekalon::*save)()) {
    if (!changed) return true;
    tools_.fmsgbox->Label1->setText(question);
    const int answer = platform::CurrentQt().ShowModal(*tools_.fmsgbox);
    // Only yes and no go on: cancel, or a box that gave no answer at all, keeps everything.
    if (answer != platform::mrYes && answer != platform::mrNo) return false;
    if (answer == platform::mrYes) {
        (this->*save)();
        if (changed) return false;  // the save dialog was cancelled
    }
    return true;
}

bool Tfmekalon::AskSaveText() {
    return AskSave(Tm1->Modified, "Textfile has changed. Save it?", &Tfmekalon::SavefileAsselClick);
}

bool Tfmekalon::AskSaveDictionary() {
    return AskSave(dicchanged, "Dictionary has changed. Save it?", &Tfmekalon::SavedicasselClick);
}

// ---- File commands -------------------------------------------------------------------------

void Tfmekalon::newfileselClick() {
    if (!AskSaveText()) return;
    Tm1->Clear();
    Tm1->MarkUnmodified();
    textfile = "noname.txt";
    SetTitle();
}

void Tfmekalon::OpenfileselClick() {
    if (!AskSaveText()) return;
    const auto chosen = platform::Current().OpenFileDialog(OpenRequest("Open file", 1, InFolderOf(lastText, "*.txt").c_str()));
    if (!chosen) return;
    OpenFile(*chosen);
}

void Tfmekalon::OpenFile(const std::string& path) {
    // The file is read before anything changes: a file that cannot be read (or holds characters
    // the user would not have replaced) leaves the text, its name and the title as they were.
    if (!Tm1->LoadFile(path, true)) return;
    textfile = path;
    textNotified_ = {};
    SetTitle();
    RememberText(path);
}

void Tfmekalon::savefileselClick() {
    // A text that never had a name goes through Save As rather than being written silently to
    // the working folder, where it could replace another file.
    if (textfile == "noname.txt") {
        SavefileAsselClick();
        return;
    }
    if (SaveTextAs(textfile, Tm1->Document().FileFormat)) RememberText(textfile);
}

void Tfmekalon::SavefileAsselClick() {
    // The name, the title and the encoding are taken over only once the file is written.
    platform::TextFormat format = Tm1->Document().FileFormat;
    const auto chosen = SaveDialogWithEncoding(SaveRequest("Save file as", 1, textfile), format);
    if (!chosen) return;
    if (SaveTextAs(*chosen, format)) RememberText(*chosen);
}

void Tfmekalon::Exit1Click() {
    // Exit asks the same questions as closing the window, so no change is lost without a question.
    close();
}

// ---- Edit menu -----------------------------------------------------------------------------

// The items show the state while the menu is open; once it closes they are enabled again, so that
// their shortcuts always act on the current selection and clipboard (with nothing to act on they
// do nothing).
void Tfmekalon::editoptClick() {
    ShowUndoState();
    const bool sel = Tm1->Selecting;
    Cutsel->setEnabled(sel);
    Copysel->setEnabled(sel);
    Deletesel->setEnabled(sel);
    Pastesel->setEnabled(platform::ClipboardHasText());
    nrlines->setText(QString::number(Tm1->LineCount()) + " lines");
}

void Tfmekalon::ShowUndoState() {
    Undo1->setEnabled(Tm1->History.CanUndo());
    Redo1->setEnabled(Tm1->History.CanRedo());
}

void Tfmekalon::Undo1Click() { Tm1->Undo(); }
void Tfmekalon::Redo1Click() { Tm1->Redo(); }
void Tfmekalon::CutselClick() { Tm1->CutSelection(); }
void Tfmekalon::CopyselClick() { Tm1->CopySelection(); }
void Tfmekalon::PasteselClick() { Tm1->Paste(); }
void Tfmekalon::DeleteselClick() { Tm1->DeleteSelection(); }
void Tfmekalon::SelectWord1Click() { Tm1->SelectWord(); }
void Tfmekalon::SelectLine1Click() { Tm1->SelectLine(); }
void Tfmekalon::SelectAllClick() { Tm1->SelectAll(); }
void Tfmekalon::Wordwrap1Click() { Tm1->WordWrap(); }

// ---- Menu bar commands ---------------------------------------------------------------------

void Tfmekalon::VirtualKbd1Click() {
    tools_.Fthaivk->show();
    tools_.Fthaivk->raise();
}

void Tfmekalon::searchesClick() {
    tools_.Finddlg->InitialText = Tm1->SelectedText();
    Tm1->ClearSelection();
    // A dialog that is open already takes the new selection as a newly shown one does.
    if (tools_.Finddlg->isVisible())
        tools_.Finddlg->FormShow();
    else
        tools_.Finddlg->show();
    tools_.Finddlg->raise();
    tools_.Finddlg->activateWindow();
}

void Tfmekalon::WordlistClick() {
    if (BeforeLongCommand) BeforeLongCommand();
    if (diclist.Count() == 0) OpendicselClick();
    if (diclist.Count() == 0) return;
    // The menus come back on every way out of the search, an error part way included.
    auto restore = [this] {
        fileopt->menuAction()->setEnabled(true);
        Dictionary->menuAction()->setEnabled(true);
        Wordlist->setText("&Wordlist");
    };
    fileopt->menuAction()->setEnabled(false);
    Dictionary->menuAction()->setEnabled(false);
    Wordlist->setText("&W..Stop");
    try {
        Tm1->SelectCursorLine();
        tools_.Fergebnis->searchline();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void Tfmekalon::Lookup1Click() {
    tools_.frianthai->show();
    tools_.frianthai->raise();
    // The window is for typing: it takes the keys at once, also when it was open behind others.
    tools_.frianthai->activateWindow();
}

void Tfmekalon::About1Click() { platform::CurrentQt().ShowModal(*tools_.fabout); }

// ---- Options and input modes ---------------------------------------------------------------

void Tfmekalon::optionsClick() {
    previousfont->setChecked(Tm1->Graphicsize == 0);
    Smallgraphics->setChecked(Tm1->Graphicsize == 1);
    MediumGraphics->setChecked(Tm1->Graphicsize == 2);
    Largegraphics->setChecked(Tm1->Graphicsize == 3);
}

namespace {

void SetSurfaceFont(platform::Surface& surface, const platform::FontChoice& font) {
    surface.SetFontName(font.name);
    surface.SetFontHeight(font.height);
    surface.SetFontStyle(font.style);
}

}  // namespace

void Tfmekalon::selectfontclick() {
    const auto chosen = platform::Current().FontDialog(font);
    if (!chosen) return;
    font = *chosen;
    SetSurfaceFont(host->Canvas(), font);
    Tm1->SetGraphicsize(0);
    SetSurfaceFont(tools_.Fergebnis->host->Canvas(), font);
    tools_.Fergebnis->results->SetGraphicsize(0);
}

void Tfmekalon::previousfontClick() {
    SetSurfaceFont(host->Canvas(), font);
    Tm1->SetGraphicsize(0);
    SetSurfaceFont(tools_.Fergebnis->host->Canvas(), font);
    tools_.Fergebnis->results->SetGraphicsize(0);
}

void Tfmekalon::smallgraphicsClick() {
    Tm1->SetGraphicsize(1);
    tools_.Fergebnis->results->SetGraphicsize(1);
}

void Tfmekalon::MediumGraphicsClick() {
    Tm1->SetGraphicsize(2);
    tools_.Fergebnis->results->SetGraphicsize(2);
}

void Tfmekalon::Largegraphicsclick() {
    Tm1->SetGraphicsize(3);
    tools_.Fergebnis->results->SetGraphicsize(3);
}

void Tfmekalon::hardreturnClick() {
    // The action toggles its own check mark before this runs.
    Tm1->HardReturn = hardreturn->isChecked();
}

void Tfmekalon::ShowModeIcon() {
    const QIcon& icon = Tm1->ThaiOnAZ ? thaiazicon : Tm1->ThaiKeyboard ? thaiicon : latinicon;
    setWindowIcon(icon);
    for (QWidget* w : std::initializer_list<QWidget*>{tools_.Fthaivk, tools_.Finddlg, tools_.frianthai})
        if (w) w->setWindowIcon(icon);
    ShowStatus();
}

// The input fields of the find dialog and of the quick lookup window follow the editor's modes.
std::vector<TThaiedit*> Tfmekalon::InputFields() const {
    std::vector<TThaiedit*> fields;
    if (tools_.Finddlg && tools_.Finddlg->te1) fields.push_back(tools_.Finddlg->te1);
    if (tools_.Finddlg && tools_.Finddlg->te2) fields.push_back(tools_.Finddlg->te2);
    if (tools_.frianthai && tools_.frianthai->te1) fields.push_back(tools_.frianthai->te1);
    return fields;
}

void Tfmekalon::ThaionAZ1Click() {
    Tm1->SetThaiOnAZ(!Tm1->ThaiOnAZ);
    for (TThaiedit* field : InputFields()) field->SetThaiOnAZ(Tm1->ThaiOnAZ);
    ShowModeIcon();
}

void Tfmekalon::KeyboardF21Click() {
    Tm1->SetThaiKeyboard(!Tm1->ThaiKeyboard);
    for (TThaiedit* field : InputFields()) field->SetThaiKeyboard(Tm1->ThaiKeyboard);
    ShowModeIcon();
}

// ---- Dictionary ----------------------------------------------------------------------------

void Tfmekalon::dicchange() {
    dicchanged = true;
    if (tools_.frianthai) tools_.frianthai->DictionaryChanged();
    statusLine->RefreshSoon();  // the line count; an append changes it once for every line
}

void Tfmekalon::DictionaryClick() {
    nrdiclines->setText(QString::number(diclist.Count()) + " lines");
    Appenddicsel->setEnabled(diclist.Count() > 0);
    Savedicassel->setEnabled(diclist.Count() > 0);
}

// Open, Append and Save As read or write the file first and take over its name only when that
// worked: a file that fails leaves the menu's name, `dicfile` and the Save As default as they were.
void Tfmekalon::OpendicselClick() {
    if (dicjob) return;  // a dictionary is being read already
    if (!AskSaveDictionary()) return;
    const auto chosen =
        platform::Current().OpenFileDialog(OpenRequest("Open dictionary", 2, InFolderOf(lastDictionary, "*.dic").c_str()));
    if (!chosen) return;
    OpenDictionary(*chosen);
}

void Tfmekalon::OpenDictionary(const std::string& path) {
    if (dicjob) return;
    dictionary::DicList read;
    platform::TextFormat format;
    platform::FileStamp stamp;
    if (!RunDictionaryJob("Loading dictionary", [&](dictionary::Progress& progress) {
            read = ReadDictionaryFile(path, format, stamp, progress);
        }))
        return;  // stopped: the dictionary that was there stays
    diclist.Replace(std::move(read));
    dicformat = format;
    dicstamp = stamp;
    dicNotified_ = {};
    dicfile = path;
    dictname->setText(QString::fromLocal8Bit(FileNamePart(path)));
    dicchanged = false;
    RememberDictionary(path);
}

void Tfmekalon::AppenddicselClick() {
    if (dicjob) return;
    if (!AskSaveDictionary()) return;
    const auto chosen =
        platform::Current().OpenFileDialog(OpenRequest("Append dictionary", 2, InFolderOf(lastDictionary, "*.dic").c_str()));
    if (!chosen) return;
    // The merged dictionary is put in place only at the end: a stopped Append changes nothing.
    platform::FileStamp stamp;
    if (!RunDictionaryJob("Appending dictionary", [&](dictionary::Progress& progress) {
            platform::TextFormat format;
            const dictionary::DicList read = ReadDictionaryFile(*chosen, format, stamp, progress, 700);
            progress.Within(700, 1000);
            diclist.Merge(read, progress);
        }))
        return;
    dicfile = *chosen;
    dicstamp = stamp;
    dicNotified_ = {};
    dictname->setText(dictname->text() + "+" + QString::fromLocal8Bit(FileNamePart(*chosen)));
}

void Tfmekalon::SavedicasselClick() {
    platform::TextFormat format = dicformat;  // taken over once the file is written
    const auto chosen = SaveDialogWithEncoding(SaveRequest("Save dictionary as", 2, dicfile), format);
    if (!chosen) return;
    if (SaveDictionaryAs(*chosen, format)) RememberDictionary(*chosen);
}

void Tfmekalon::InsertCursorlineClick() {
    Tm1->SelectCursorLine();
    std::string candidate = Tm1->SelectedText();
    // A line of blanks (or nothing) is no entry.
    if (std::all_of(candidate.begin(), candidate.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; })) {
        platform::Current().ShowMessage("Line is empty: nothing added to dictionary");
    } else if (diclist.Find(candidate) < 0) {
        diclist.Insert(std::move(candidate));
        platform::Current().ShowMessage("Line has been added");
    } else {
        platform::Current().ShowMessage("Line is already in dictionary");
    }
}

void Tfmekalon::Deleteindictionary1Click() {
    Tm1->SelectCursorLine();
    const int index = diclist.Find(Tm1->SelectedText());
    if (index < 0) {
        platform::Current().ShowMessage("Line not Found in dictionary");
    } else {
        diclist.Delete(index);
        platform::Current().ShowMessage("Line has been deleted in dictionary");
    }
}

// ---- Convert -------------------------------------------------------------------------------

void Tfmekalon::MultiplywithClick() { currency::ConvertSelection(*Tm1, factor, currency::Operation::Multiply); }
void Tfmekalon::DividebyClick() { currency::ConvertSelection(*Tm1, factor, currency::Operation::Divide); }
void Tfmekalon::ChangeFactorDivisorClick() {
    const std::string selected = Tm1->SelectedText();
    const auto value = currency::FactorFromSelection(selected);
    if (!value) return;
    SetFactor(*value, selected);
}

void Tfmekalon::SetFactor(long double value, const std::string& shown) {
    factor = value;
    factorText = shown;
    // The captions show the factor as it was selected (a number is plain ASCII).
    const QString text = QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size()));
    Multiplywith->setText(QStringLiteral("&Multiply with ") + text);
    Divideby->setText(QStringLiteral("&Divide by ") + text);
}
