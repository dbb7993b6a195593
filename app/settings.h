// Settings kept between runs: the main window's place and size, the glyph size or font, the input
// modes, hard return, the currency factor, the last text and dictionary and the recent lists. They
// live in $XDG_CONFIG_HOME/mekalon/mekalon.conf (~/.config/mekalon/ by default), written through
// Qt's settings store in its INI form. A value that is missing or out of range gives the default
// of a first start; a file that cannot be read as settings is moved aside, never trusted.
#pragma once

#include <QByteArray>
#include <memory>
#include <string>
#include <vector>

#include "app/recentfiles.h"
#include "platform/services.h"

class QSettings;
class Tfmekalon;

namespace settings {

// What the program keeps. The defaults are those of a first start.
struct Values {
    QByteArray geometry;  // the main window's place and size (QWidget::saveGeometry); empty: centred
    int graphicsSize = 1;  // 0 font, 1..3 glyph images
    platform::FontChoice font{"Fixedsys", 13, 0};  // the window's font, also at glyph sizes 1..3
    bool thaiKeyboard = false;     // the built-in Thai layout ("Kbd F2")
    bool thaiOnAZ = false;         // "Thai on A..Z"
    bool virtualKeyboard = false;  // the virtual keyboard window is open
    QByteArray virtualKeyboardGeometry;
    bool hardReturn = true;
    long double factor = 40;
    std::string factorText = "40";  // the factor as the user selected it (the Convert captions)
    std::string lastText, lastDictionary;  // full paths; empty: none yet
    std::vector<std::string> recentTexts, recentDictionaries;  // full paths, newest first
};
bool operator==(const Values& a, const Values& b);

// $XDG_CONFIG_HOME/mekalon, or ~/.config/mekalon when that is not set to an absolute path.
std::string Folder();

// Why the file at `path` cannot be taken as a settings file ("it is a folder", "line 3 is not a
// setting", ...); empty when it can, or when there is no file.
std::string ProblemWith(const std::string& path);

// The settings file of one program run.
class Store {
public:
    // Opens `folder`/mekalon.conf. A file that cannot be read as settings is renamed aside (to
    // mekalon.conf.bad, or .bad-2, .bad-3 ... when that is taken) and the store starts empty; the
    // reason and the new name go into `message`. Nothing is created until something is written.
    // Returns nullptr, with the reason in `message`, when an unreadable file cannot be moved aside:
    // the run then keeps no settings rather than write over it.
    static std::unique_ptr<Store> Open(const std::string& folder, std::string& message);
    ~Store();

    const std::string& FilePath() const { return path_; }
    // The kept values; anything missing or out of range has its default.
    const Values& Loaded() const { return loaded_; }
    // Writes the values that differ from those loaded or saved last (the file follows when the
    // event loop next runs, or at Sync).
    void Save(const Values& values);
    // Puts what was saved on disk; false, with the reason in `error`, when that failed.
    bool Sync(std::string& error);

private:
    explicit Store(std::string path);
    std::string path_;
    std::unique_ptr<QSettings> store_;
    Values loaded_;  // loaded at the start, then the values last saved
};

// The store of this run: none unless the program started with settings (main() opens it; tests
// and --no-settings run without one, and then nothing is read or written).
Store* Current();
void Use(std::unique_ptr<Store> store);

// The main window's state as values (`base` gives what the window does not show: the virtual
// keyboard's place while it is closed).
Values Capture(const Tfmekalon& window, const Values& base);
// Brings the main window to the kept values as the menu commands would (glyph size, font, modes,
// hard return, factor and its captions, recent lists), its place and size included. The virtual
// keyboard window is opened by ShowToolWindows once the main window shows.
void Apply(Tfmekalon& window, const Values& values);
void ShowToolWindows(Tfmekalon& window, const Values& values);

// Writes the main window's state into the store of this run, if there is one.
void Keep(const Tfmekalon& window);

}  // namespace settings
