// The main window's long dictionary work: a dictionary file read into a list of its own (and
// merged into the dictionary for Append) as a job. A file of millions of lines takes seconds; all
// the while the window answers, the status bar shows how far the work is, and Esc stops it,
// leaving the dictionary that was there.
#include "app/umekalon.h"

#include <QAction>
#include <QMenu>
#include <cstring>

#include "platform/cancel.h"
#include "platform/files.h"

bool Tfmekalon::RunDictionaryJob(const char* what, const std::function<void(dictionary::Progress&)>& work) {
    platform::RunningJob job;
    // The dictionary commands and Wordlist wait while the dictionary is being replaced.
    const bool menuWas = Dictionary->menuAction()->isEnabled(), wordlistWas = Wordlist->isEnabled();
    struct Restore {
        Tfmekalon& window;
        bool menu, wordlist;
        ~Restore() {
            window.dicjob = false;
            window.Dictionary->menuAction()->setEnabled(menu);
            window.Wordlist->setEnabled(wordlist);
            window.ShowStatusProgress({}, -1);
        }
    } restore{*this, menuWas, wordlistWas};
    dicjob = true;
    Dictionary->menuAction()->setEnabled(false);
    Wordlist->setEnabled(false);
    dictionary::Progress progress([&](int permille) {
        ShowStatusProgress(std::string(what) + " - ESC to break", permille / 10);
        platform::Current().ProcessMessages();
        return !job.Cancelled();
    });
    try {
        progress.ReportNow();
        work(progress);
        return true;
    } catch (const dictionary::JobStopped&) {
        return false;
    }
}

dictionary::DicList Tfmekalon::ReadDictionaryFile(const std::string& path, platform::TextFormat& format,
                                                 platform::FileStamp& stamp, dictionary::Progress& progress, int share) {
    // The file's bytes come in pieces, each one a point where the window answers. A NUL byte
    // ends the reading at once: the file is no text.
    progress.Within(0, share * 15 / 100);
    std::string bytes;
    platform::ReadFilePieces(path, [&](std::string_view piece, size_t fileSize) {
        const bool nul = std::memchr(piece.data(), 0, piece.size()) != nullptr;
        if (bytes.empty() && !nul) {
            bytes.reserve(fileSize);
            progress.Phase(0, 1000, (fileSize / piece.size() + 1) * dictionary::Progress::kStepsPerCheck);
        }
        bytes.append(piece);
        if (nul) return false;
        progress.Tick(dictionary::Progress::kStepsPerCheck);
        return true;
    }, &stamp);
    platform::DecodedText text;
    try {
        text = platform::DecodeText(std::move(bytes));
    } catch (const platform::TextError& e) {
        throw platform::FileError("Cannot open \"" + path + "\": " + e.what());
    }
    progress.Within(share * 15 / 100, share);
    dictionary::DicList list = dictionary::DicList::Read(text.bytes, progress);
    format = text.format;
    return list;
}
