// TStatusLine: the main window's status bar. On the right it shows where the cursor is (line and
// column, 1-based, columns in display cells), the input mode ("EN", "TH" for the Thai layout,
// "A..Z" for "Thai on A..Z"), the text file's encoding and line end ("TIS-620 CRLF", "UTF-8 BOM
// LF") and the dictionary's name with its line count. On the left it shows, for a few seconds,
// messages that need no answer, and the progress of a long job.
#pragma once

#include <QStatusBar>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>

#include "platform/textcodec.h"

class QLabel;
class QProgressBar;

// The input mode as the status bar names it.
const char* InputModeName(bool thaiKeyboard, bool thaiOnAZ);
// A file format as the status bar names it: encoding, "BOM" where there is one, line end.
std::string FileFormatName(const platform::TextFormat& format);

class TStatusLine : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusLine(QWidget* parent);

    // Each shows its part; a part that did not change is left alone (these run at every caret
    // move).
    void ShowPosition(int line, int column);
    void ShowMode(bool thaiKeyboard, bool thaiOnAZ);
    void ShowFormat(const platform::TextFormat& format);
    void ShowDictionary(const QString& name, int lines);
    // A long job's progress: the text on the left, a bar at `percent`; a negative percent ends it.
    void ShowProgress(const QString& text, int percent);

    // Runs OnRefresh once when the event loop is next free, however often it is asked before:
    // for changes that come in long runs (every line of an appended dictionary).
    void RefreshSoon();
    std::function<void()> OnRefresh;

    QLabel *position, *mode, *format, *dictionary;
    QProgressBar* progress;

private:
    int line_ = -1, column_ = -1;
    int lineDigits_ = 0, columnDigits_ = 0;
    int modeShown_ = -1;
    platform::TextFormat format_;
    bool formatShown_ = false;
    int dictionaryLines_ = -1;
    QString dictionaryName_;
    QTimer soon_;
};
