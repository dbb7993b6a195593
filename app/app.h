// App: the application object, the one owner of the program's windows. It makes them in the order
// the program starts them (the shared glyph images first, then the main window, the virtual
// keyboard, the question box, the find window, the word-list results, the quick lookup and the
// about window), hands each window the others it works with, and frees them in the reverse order
// when it goes. No window reaches another any other way. It also holds the drag state that all of
// the program's text controls share, so that a right-button drag ends over any of them.
#pragma once

#include <memory>
#include <vector>

#include "app/umekalon.h"
#include "editor/thailist.h"

class QWidget;

class App {
public:
    App();
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    Tfmekalon* MainWindow() const { return main_.get(); }
    // The other windows, as the main window was handed them.
    Tfmekalon::ToolWindows Tools() const {
        return {keyboard_, question_.get(), find_.get(), results_.get(), lookup_.get(), about_.get()};
    }
    // Every window, in the order they were made.
    const std::vector<QWidget*>& Windows() const { return made_; }

private:
    // Made before the windows and freed after them: every window shows glyph images, and the
    // text controls hold the drag state.
    struct GlyphImages {
        GlyphImages();
        ~GlyphImages();
    } glyphImages_;
    DragState drag_;
    // In the order of making; the destructor frees them in the reverse order. The virtual keyboard
    // is a Qt child of the main window (a tool window that stays above it).
    std::unique_ptr<Tfmekalon> main_;
    TFthaivk* keyboard_ = nullptr;
    std::unique_ptr<Tfmsgbox> question_;
    std::unique_ptr<TFinddlg> find_;
    std::unique_ptr<TFergebnis> results_;
    std::unique_ptr<Tfrianthai> lookup_;
    std::unique_ptr<Tfabout> about_;
    std::vector<QWidget*> made_;
};
