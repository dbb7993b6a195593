// Tfmekalon: the main window. It owns the editor Tm1, the dictionary list, the menu bar from
// which every command starts, and the state of the current text file.
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/recentfiles.h"
#include "dictionary/diclist.h"
#include "dictionary/wordlist.h"
#include "editor/thaimemo.h"
#include "platform/qt_host.h"
#include "platform/services.h"
#include "platform/textcodec.h"

class QAction;
class QPrinter;
class TThaiedit;
class TStatusLine;
class QMenu;
class TFthaivk;
class Tfmsgbox;
class TFinddlg;
class TFergebnis;
class Tfrianthai;
class Tfabout;

// The file dialogs' filter list. "All files" is every name: "*" ("*.*" would leave out names
// without a dot).
inline constexpr const char* kFileFilter = "Textfiles|*.txt|Dictionaries|*.dic|Documents|*.doc|All files|*";

class Tfmekalon : public QMainWindow {
    Q_OBJECT
public:
    // The editor takes part in the drags of `drag` (the application's shared drag state, which
    // outlives the window).
    explicit Tfmekalon(DragState& drag);
    ~Tfmekalon() override;

    // ---- The program's other windows -------------------------------------------------------
    // The windows the main window opens and serves; the application object makes them after
    // this one and hands them over here (all null until then, and again before they go).
    struct ToolWindows {
        TFthaivk* Fthaivk = nullptr;
        Tfmsgbox* fmsgbox = nullptr;
        TFinddlg* Finddlg = nullptr;
        TFergebnis* Fergebnis = nullptr;
        Tfrianthai* frianthai = nullptr;
        Tfabout* fabout = nullptr;
    };
    void UseToolWindows(const ToolWindows& windows) { tools_ = windows; }
    TFthaivk* VirtualKeyboard() const { return tools_.Fthaivk; }

    // ---- State ---------------------------------------------------------------------------
    platform::ThaiHost* host;             // the client area the editor draws on
    std::unique_ptr<TThaimemo> Tm1;
    long double factor = 40;              // currency factor
    platform::FontChoice font{"Fixedsys", 13, 0};  // the window's font: the one font mode returns to
    // Full path of the current text file ("noname.txt" for a new text): the name the editor's
    // document keeps.
    std::string& textfile;
    std::string dicfile = "noname.dic";   // full path of the dictionary file
    bool dicchanged = false;
    platform::TextFormat dicformat;  // how the dictionary file is written, from Open
    platform::FileStamp dicstamp;    // the dictionary file as last opened or saved
    dictionary::DicList diclist;
    dictionary::DicText dictext;  // the dictionary text of the last search, with its index
    QIcon thaiicon, latinicon, thaiazicon;  // title-bar icons of the input modes
    // Runs first in a long command (Wordlist, Print): crash recovery brings its copies up to date.
    std::function<void()> BeforeLongCommand;
    // Runs when the close questions let the window close: the text and the dictionary were saved,
    // or the user let their changes go (crash recovery drops its copies then, and only then).
    std::function<void()> AfterCloseAllowed;

    // ---- Menu items (named as the window design names them) ------------------------------
    QMenu* fileopt;
    QAction *newfilesel, *Openfilesel, *savefilesel, *SavefileAssel, *N1, *Printsel, *N2, *Exit1;
    QAction* PrintPreviewsel;
    QMenu* editopt;
    QAction *Undo1, *Redo1, *N11;
    QAction *Cutsel, *Copysel, *Pastesel, *Deletesel, *N3, *SelectWord1, *SelectLine1, *SelectAll, *N6,
        *Wordwrap1, *N9, *nrlines;
    QAction *N12, *Find1, *FindNext1, *FindPrevious1, *Replace1;  // Edit menu: find and replace
    QAction *VirtualKbd1, *KeyboardF21, *ThaionAZ1, *searches;
    QMenu* options;
    QAction *Fixedsys, *N4, *previousfont, *Smallgraphics, *MediumGraphics, *Largegraphics, *N8, *hardreturn;
    QAction *ZoomIn1, *ZoomOut1;  // the next and the previous glyph size
    QMenu* Dictionary;
    QAction *Opendicsel, *Appenddicsel, *Savedicassel, *N5, *InsertCursorline, *DeleteLineindictionary1, *N7,
        *dictname, *nrdiclines;
    QAction *Wordlist, *Lookup1;
    QMenu* N10;
    QAction *Multiplywith, *Divideby, *ChangeFactorDivisor;
    QAction* About1;

    // ---- File commands -------------------------------------------------------------------
    void newfileselClick();
    void OpenfileselClick();
    // Opens a text file as Open does after its dialog; a file that cannot be read changes nothing.
    void OpenFile(const std::string& path);
    void savefileselClick();
    void SavefileAsselClick();
    void PrintselClick();
    void PrintPreviewselClick();
    // Draws the pages of a text on a printer of the print preview, as Print would print them.
    void PrintPreviewPaint(QPrinter* printer, const std::string& text, int graphicsSize);
    void Exit1Click();
    // ---- Edit menu -----------------------------------------------------------------------
    void editoptClick();
    void Undo1Click();
    void Redo1Click();
    // Undo and Redo are enabled while the editor's history has a step for them.
    void ShowUndoState();
    void CutselClick();
    void CopyselClick();
    void PasteselClick();
    void DeleteselClick();
    void SelectWord1Click();
    void SelectLine1Click();
    void SelectAllClick();
    void Wordwrap1Click();
    // ---- Menu bar commands ---------------------------------------------------------------
    void VirtualKbd1Click();
    void KeyboardF21Click();
    void ThaionAZ1Click();
    void searchesClick();
    // ---- Find and replace, glyph size keys (umekalon_find.cpp) ---------------------------
    // Finds the next (previous) occurrence of the find window's search text without bringing the
    // window forward; with no search text yet it opens the window as the find command does.
    void FindNext1Click();
    void FindPrevious1Click();
    // Opens the find window for replacing, the selection as its search text (the selection stays).
    void Replace1Click();
    // The next and the previous glyph size (1 to 3), through the Options menu's commands; nothing
    // in font mode or at the end of the range.
    void ZoomIn1Click();
    void ZoomOut1Click();
    void StepGlyphSize(int step);
    // Ctrl with the mouse wheel over the editor steps the glyph size.
    void WatchZoomWheel();
    void WordlistClick();
    void Lookup1Click();
    void About1Click();
    // ---- Options -------------------------------------------------------------------------
    void optionsClick();
    void selectfontclick();
    void previousfontClick();
    void smallgraphicsClick();
    void MediumGraphicsClick();
    void Largegraphicsclick();
    void hardreturnClick();
    // ---- Dictionary ----------------------------------------------------------------------
    void DictionaryClick();
    void OpendicselClick();
    // Opens a dictionary file as Open does after its dialog.
    void OpenDictionary(const std::string& path);
    void AppenddicselClick();
    void SavedicasselClick();
    void InsertCursorlineClick();
    void Deleteindictionary1Click();
    void dicchange();
    // ---- Convert -------------------------------------------------------------------------
    void MultiplywithClick();
    void DividebyClick();
    void ChangeFactorDivisorClick();

    // ---- Status bar, recent lists, kept settings (app/statusbar.cpp, app/recentfiles.cpp) ---
    TStatusLine* statusLine = nullptr;
    QMenu *RecentFiles, *RecentDictionaries;
    RecentList recentTexts{kRecentCount}, recentDictionaries{kRecentCount};
    // The text and the dictionary last opened or saved (full paths; empty: none yet). The open
    // dialogs start in their folders, and the dictionary opens again at the next start.
    std::string lastText, lastDictionary;
    std::string factorText = "40";  // the currency factor as the user selected it
    // The currency factor and the Convert captions that show it.
    void SetFactor(long double value, const std::string& shown);
    // Brings every part of the status bar up to date (cheap: run at every caret move).
    void ShowStatus();
    // A message that needs no answer, in the status bar for `milliseconds` (0: until the next
    // one). UTF-8; a TIS-620 text (a search text) must be converted first.
    void ShowStatusMessage(const std::string& text, int milliseconds = 5000);
    // The progress of a long job in the status bar: `text` (UTF-8) and a bar at `percent`
    // (0..100); a negative percent ends the display.
    void ShowStatusProgress(const std::string& text, int percent);
    // A text or dictionary opened or saved goes to the front of its recent list.
    void RememberText(const std::string& path);
    void RememberDictionary(const std::string& path);
    void ShowRecentLists();
    // The recent lists' items: open as File > Open and Dictionary > Open do after their dialogs,
    // questions about unsaved changes included; a name whose file is gone leaves the list, with
    // a message.
    void OpenRecentText(const std::string& path);
    void OpenRecentDictionary(const std::string& path);
    // Runs a command as the menus do: an error goes to the default error report; then the status
    // bar and the kept settings follow what the command changed.
    void RunMenuCommand(const std::function<void()>& command);

    // ---- Window events -------------------------------------------------------------------
    void FormCreate();
    void FormActivate();
    void FormDeactivate();
    bool FormCloseQuery();  // true: the window may close

    // Sets the window and application title from the text file name; the window's begins with "*"
    // while the text has unsaved changes.
    void SetTitle();

    // ---- Files on disk (umekalon_files.cpp) ------------------------------------------------
    // Writes the text to `path` in `format` and takes over the name, the format and the title
    // only once it is written. Asks first when the text's own file was changed on disk by another
    // program, or holds characters that were read as "?"; false when the user said no.
    bool SaveTextAs(const std::string& path, const platform::TextFormat& format);
    // Writes the dictionary to `path`, asking first when its own file was changed on disk.
    bool SaveDictionaryAs(const std::string& path, const platform::TextFormat& format);
    // Run when the window becomes active again: a text or dictionary file that another program
    // changed is offered for reloading when it has no unsaved changes, and told of once otherwise.
    void CheckFilesOnDisk();
    // The changed-text question: false when the command must stop.
    bool AskSaveText();
    // The changed-dictionary question: false when the command must stop.
    bool AskSaveDictionary();
    // The main window's icon, and that of its tool windows, shows the editor's input mode.
    void ShowModeIcon();
    // The Thai input fields of the other windows (find dialog, quick lookup) that exist.
    std::vector<TThaiedit*> InputFields() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Asks before writing over `path` when it is the file `stamp` describes and another program
    // changed it since; true: go on.
    bool AgreeToOverwrite(const std::string& path, const std::string& own, platform::FileStamp& stamp);
    // Offers to reload a changed file, or tells of the change once (`notified` remembers it).
    void CheckFileOnDisk(const std::string& path, platform::FileStamp& stamp, platform::FileStamp& notified,
                         bool modified, void (Tfmekalon::*reload)());
    void ReloadText();
    void ReloadDictionary();
    platform::FileStamp textNotified_, dicNotified_;  // changes on disk already told of
    TextDocument::Watch documentWatch_;  // the title, the Undo items and the status bar follow the text
    bool checkingDisk_ = false;
    // Asks whether to save while `changed` is set; yes runs `save`, which must clear it.
    bool AskSave(const bool& changed, const char* question, void (Tfmekalon::*save)());
    void BuildMenu();
    bool closing_ = false;  // the close questions are being asked

    // Long dictionary work (umekalon_dictionary.cpp). Runs `work` as a job that keeps the window
    // answering, shows its progress and stops on Esc; false when it was stopped. Meanwhile the
    // dictionary commands and Wordlist wait.
    bool RunDictionaryJob(const char* what, const std::function<void(dictionary::Progress&)>& work);
    // Reads a dictionary file into a list of its own, sorted and without duplicates, and tells
    // how the file is written and what it was when read; the work makes up the thousandths
    // [0, share) of the job. Throws FileError.
    static dictionary::DicList ReadDictionaryFile(const std::string& path, platform::TextFormat& format,
                                                  platform::FileStamp& stamp, dictionary::Progress& progress,
                                                  int share = 1000);
    bool dicjob = false;  // a dictionary file is being read or appended

    ToolWindows tools_;
};
