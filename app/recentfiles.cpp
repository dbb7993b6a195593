#include "app/recentfiles.h"

#include <QAction>
#include <QMenu>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/umekalon.h"
#include "platform/services.h"

namespace fs = std::filesystem;

void RecentList::Add(const std::string& path) {
    if (path.empty()) return;
    Remove(path);
    items_.insert(items_.begin(), path);
    if (static_cast<int>(items_.size()) > capacity_) items_.resize(static_cast<size_t>(capacity_));
}

bool RecentList::Remove(const std::string& path) {
    const auto at = std::find(items_.begin(), items_.end(), path);
    if (at == items_.end()) return false;
    items_.erase(at);
    return true;
}

void RecentList::Assign(const std::vector<std::string>& paths) {
    items_.clear();
    for (const std::string& p : paths) {
        if (p.empty() || std::find(items_.begin(), items_.end(), p) != items_.end()) continue;
        items_.push_back(p);
        if (static_cast<int>(items_.size()) == capacity_) break;
    }
}

std::string FullPath(const std::string& path) {
    std::error_code ec;
    const fs::path full = fs::absolute(fs::path(path), ec);
    if (ec) return path;
    return full.lexically_normal().string();
}

void FillRecentMenu(QMenu& menu, const std::vector<std::string>& paths,
                    const std::function<void(const std::string& path)>& open) {
    // An item may be running this (a name found gone is taken out): the old items go once the
    // event loop is back.
    for (QAction* old : menu.actions()) {
        menu.removeAction(old);
        old->deleteLater();
    }
    menu.setToolTipsVisible(true);
    auto name = [](const std::string& p) { return fs::path(p).filename().string(); };
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        QString shown = QString::fromLocal8Bit(name(path));
        const bool twice = std::count_if(paths.begin(), paths.end(),
                                         [&](const std::string& other) { return name(other) == name(path); }) > 1;
        if (twice) shown += QStringLiteral(" (") + QString::fromLocal8Bit(fs::path(path).parent_path().string()) + ")";
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        // The number is the item's key: 1 to 9, then 0 for the tenth.
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("1&0");
        QAction* item = menu.addAction(number + QLatin1Char(' ') + shown);
        item->setToolTip(QString::fromLocal8Bit(path));
        item->setData(QString::fromLocal8Bit(path));
        QObject::connect(item, &QAction::triggered, &menu, [open, path] { open(path); });
    }
    menu.menuAction()->setEnabled(!paths.empty());
}

// ---- The main window's recent lists --------------------------------------------------------

void Tfmekalon::RememberText(const std::string& path) {
    lastText = FullPath(path);
    recentTexts.Add(lastText);
    ShowRecentLists();
}

void Tfmekalon::RememberDictionary(const std::string& path) {
    lastDictionary = FullPath(path);
    recentDictionaries.Add(lastDictionary);
    ShowRecentLists();
}

void Tfmekalon::ShowRecentLists() {
    FillRecentMenu(*RecentFiles, recentTexts.Items(),
                   [this](const std::string& path) { RunMenuCommand([&] { OpenRecentText(path); }); });
    FillRecentMenu(*RecentDictionaries, recentDictionaries.Items(),
                   [this](const std::string& path) { RunMenuCommand([&] { OpenRecentDictionary(path); }); });
}

namespace {

// A name whose file is gone (a link to nothing included). A name that cannot be looked at is
// not gone: opening it says why it cannot be read.
bool Gone(const std::string& path) {
    std::error_code ec;
    return fs::status(path, ec).type() == fs::file_type::not_found;
}

}  // namespace

void Tfmekalon::OpenRecentText(const std::string& path) {
    if (Gone(path)) {
        recentTexts.Remove(path);
        ShowRecentLists();
        platform::Current().ShowMessage("The file " + path + " no longer exists; it has been removed from the list.");
        return;
    }
    if (!AskSaveText()) return;
    OpenFile(path);
}

void Tfmekalon::OpenRecentDictionary(const std::string& path) {
    if (Gone(path)) {
        recentDictionaries.Remove(path);
        ShowRecentLists();
        platform::Current().ShowMessage("The dictionary " + path +
                                        " no longer exists; it has been removed from the list.");
        return;
    }
    if (!AskSaveDictionary()) return;
    OpenDictionary(path);
}
