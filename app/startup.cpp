#include "app/startup.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "app/commandline.h"
#include "app/settings.h"
#include "app/umekalon.h"

namespace {

void Report(const std::string& message) { std::fprintf(stderr, "mekalon: %s\n", message.c_str()); }

}  // namespace

void StartProgram(const CommandLine& options) {
    settings::Values kept;
    if (!options.noSettings) {
        std::string message;
        auto store = settings::Store::Open(settings::Folder(), message);
        if (!message.empty()) Report(message);
        if (store) kept = store->Loaded();
        settings::Use(std::move(store));
    }
    CreateWindows();
    // Before the window shows, so that it appears at once where it was left.
    if (settings::Current()) settings::Apply(*fmekalon, kept);
    fmekalon->show();
    settings::ShowToolWindows(*fmekalon, kept);
    if (!options.dictionary && !kept.lastDictionary.empty()) ReopenDictionary(*fmekalon, kept.lastDictionary);
    // The command line's file first: opening it later would drop a restored text without a word.
    StartWith(*fmekalon, options);
    fmekalon->ShowStatus();
}

void EndProgram() {
    if (fmekalon) settings::Keep(*fmekalon);
    if (settings::Store* store = settings::Current()) {
        std::string error;
        if (!store->Sync(error)) Report(error);
    }
    settings::Use(nullptr);
    DestroyWindows();
}

void ReopenDictionary(Tfmekalon& window, const std::string& path) {
    constexpr int kShownFor = 15000;
    std::error_code ec;
    if (std::filesystem::status(path, ec).type() == std::filesystem::file_type::not_found) {
        window.ShowStatusMessage("The last dictionary " + path + " no longer exists.", kShownFor);
        return;
    }
    try {
        window.OpenDictionary(path);
    } catch (const std::exception& e) {
        window.ShowStatusMessage(std::string("The last dictionary could not be opened: ") + e.what(), kShownFor);
    }
}
