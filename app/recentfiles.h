// The recent lists: the texts (and, apart, the dictionaries) last opened or saved, newest first,
// each name once, and the submenus that offer them ("Recent Files" in the File menu, "Recent
// Dictionaries" in the Dictionary menu).
#pragma once

#include <functional>
#include <string>
#include <vector>

class QMenu;

// The lists hold at most this many names.
inline constexpr int kRecentCount = 10;

class RecentList {
public:
    explicit RecentList(int capacity) : capacity_(capacity) {}

    // Puts the full path first; an older place of it goes, and so do names beyond the capacity.
    void Add(const std::string& path);
    // Takes the path out; false when it was not there.
    bool Remove(const std::string& path);
    // Takes the paths over as they are kept (newest first), each once, at most the capacity.
    void Assign(const std::vector<std::string>& paths);
    const std::vector<std::string>& Items() const { return items_; }

private:
    int capacity_;
    std::vector<std::string> items_;
};

// A path made absolute (and "." and ".." taken out) without following links, as the lists keep it.
std::string FullPath(const std::string& path);

// Fills the submenu with one item per path: "&1 name" to "1&0 name" (the folder beside names
// that occur twice), the full path as the item's tool tip. Choosing an item runs `open` with its
// path. The submenu is disabled while the list is empty.
void FillRecentMenu(QMenu& menu, const std::vector<std::string>& paths,
                    const std::function<void(const std::string& path)>& open);
