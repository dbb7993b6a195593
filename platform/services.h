// Platform services reached through one replaceable interface, so that tests can answer file
// dialogs and questions and watch messages: dialogs, messages, the modal run of the program's own
// windows, the default error report, and running pending events from inside a long loop.
#pragma once

#include <QDialog>
#include <QStringList>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QPrinter;

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
    // Shows the pages that `paint` draws on the printer (and redraws after a change of the page
    // set-up) until the user closes the preview.
    virtual void PrintPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint);
    virtual std::optional<FontChoice> FontDialog(const FontChoice& initial);
    // A simple message with an OK button, titled with the application title.
    virtual void ShowMessage(const std::string& text);
    virtual void ShowWarning(const std::string& text);
    // Shows one of the program's own windows modally and returns its modal result.
    virtual int ShowModal(QDialog& dialog);
    // A Yes/No/Cancel question in the program's own question window (see SetQuestionWindow),
    // shown through ShowModal; returns mrYes, mrNo or mrCancel.
    virtual int AskQuestion(const std::string& text);
    // The default error report: shows the message of an error that ended a command.
    virtual void ReportError(const std::string& message);
    // Lets pending window events run (from inside a long operation).
    virtual void ProcessMessages();
};

// The program's own Yes/No/Cancel question window, set by the application when it creates it
// (nullptr when it goes): puts the question into the window and returns the window to be shown
// modally. Without one, AskQuestion shows a standard question box.
using QuestionWindow = std::function<QDialog*(const std::string& text)>;
void SetQuestionWindow(QuestionWindow window);

// The services in use; tests install their own.
Services& Current();
void Install(Services* services);  // nullptr restores the real services

// The filter list of a file dialog in Qt's form: "Text|*.txt|All|*.*" becomes
// {"Text (*.txt)", "All (*.*)"}.
QStringList QtFilters(const std::string& filter);
// A file name typed without extension gets the default extension ("txt" or ".txt").
// The file types of a save dialog that offers encodings: every filter entry once per encoding,
// "Textfiles, UTF-8 (*.txt)".
QStringList QtEncodingFilters(const std::string& filter, const std::vector<std::string>& encodings);
std::string WithDefaultExt(const std::string& path, const std::string& defaultExt);

// The printer (pages, jobs, resolution), locale-aware comparison and number formatting, and the
// random generator join this layer with the printing, dictionary, currency and puzzle work that
// uses them.

// Runs a command; an error that escapes it goes to the default error report and ends the
// command there (Qt cannot carry exceptions through its event loop).
void RunCommand(const std::function<void()>& command);

}  // namespace platform
