// The one way the windows make their menu entries: an item in a menu or on a menu bar, a
// separator, a drop-down menu. Each entry carries the object name the window design gives it (tests
// and the kept settings find entries by it); a triggered item runs the command its window hands
// over, through that window's command runner (which turns a failure into a message).
#pragma once

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace menus {

// Adds an item to `menu` (a QMenu or a QMenuBar). `caption` is UTF-8 (an empty one makes an item
// that shows nothing); `shortcut` is in QKeySequence's portable text, or null. A null `command`
// makes an item that runs nothing (a display line such as a count).
QAction* AddItem(QWidget* menu, const char* name, const char* caption, const char* shortcut,
                 std::function<void()> command);

// A window's handler as the command of an item: `run` is the window's command runner.
template <class Window, class Runner>
std::function<void()> Command(Window* window, void (Window::*handler)(), Runner run) {
    if (!handler) return {};
    return [window, handler, run] { run([window, handler] { (window->*handler)(); }); };
}

QAction* AddSeparator(QMenu* menu, const char* name);

// A drop-down menu on `menu` (a menu bar, or a menu for a submenu); `onOpen` (may be empty) runs
// each time before it shows.
QMenu* AddMenu(QWidget* menu, const char* name, const char* caption, std::function<void()> onOpen = {});

}  // namespace menus
