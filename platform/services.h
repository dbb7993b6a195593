// Platform services reached through one replaceable interface, so that tests can answer file
// dialogs and questions and watch messages: dialogs, messages, the modal run of the program's own
// windows, the default error report, and running pending events from inside a long loop. What
// takes Qt types (a window shown modally, the print preview, dialog filters in Qt's form) is in
// platform/qt_services.h.
#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct FileDialogRequest {
    std::string title;
    std::string filter;  // "Textfiles|*.txt|Dictionaries|*.dic|..."
    int filterIndex = 1; // 1-based
    std::string fileName;
    std::string defaultExt;        // save dialog: appended to a name typed without extension
    bool overwritePrompt = false;  // save dialog: ask before replacing a file
    // Save dialog: the encodings offered as the file's type ("TIS-620", "UTF-8") and the one
    // preselected.
    std::vector<std::string> encodings;
    std::string encoding;
};

// A save dialog's answer: the path and the encoding chosen as the file's type.
struct SaveChoice {
    std::string path;
    std::string encoding;
};

struct FontChoice {
    std::string name;
    int height = 16;  // pixels
    int style = 0;    // FontStyle bits
};

// Modal results.
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;

class Services {
public:
    virtual ~Services() = default;
    virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request);
    virtual std::optional<std::string> SaveFileDialog(const FileDialogRequest& request);
    // A save dialog whose file types are the request's encodings, each under every filter entry.
    virtual std::optional<SaveChoice> SaveFileDialogWithEncoding(const FileDialogRequest& request);
    virtual bool PrintDialog();
    virtual std::optional<FontChoice> FontDialog(const FontChoice& initial);
    // A simple message with an OK button, titled with the application title.
    virtual void ShowMessage(const std::string& text);
    virtual void ShowWarning(const std::string& text);
    // A Yes/No/Cancel question in the program's own question window (see SetQuestionWindow),
    // shown through QtServices::ShowModal; returns mrYes, mrNo or mrCancel.
    virtual int AskQuestion(const std::string& text);
    // The default error report: shows the message of an error that ended a command.
    virtual void ReportError(const std::string& message);
    // Lets pending window events run (from inside a long operation).
    virtual void ProcessMessages();
};

// The services in use; tests install their own.
Services& Current();
void Install(Services* services);  // nullptr restores the real services

// The application's title, which message boxes carry: the main window's title (UTF-8). Until it
// is set, the application's name.
void SetApplicationTitle(const std::string& title);

// A file name typed without extension gets the default extension ("txt" or ".txt").
std::string WithDefaultExt(const std::string& path, const std::string& defaultExt);

// The printer (pages, jobs, resolution), locale-aware comparison and number formatting, and the
// random generator join this layer with the printing, dictionary, currency and puzzle work that
// uses them.

// Runs a command; an error that escapes it goes to the default error report and ends the
// command there (Qt cannot carry exceptions through its event loop). This is the program's one
// exception boundary: menu commands, the handlers of keys, mouse buttons and paints (ThaiHost,
// KeySink) and timers (platform/qt_events.h) all run through it. Running out of memory is
// reported in plain words. A failure while the report of another is still open (a paint that
// fails again under the message box) is not reported a second time: the first message stands.
void RunCommand(const std::function<void()>& command);

}  // namespace platform
