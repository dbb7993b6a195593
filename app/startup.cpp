#include "app/startup.h"

#include <QApplication>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "app/app.h"
#include "app/appicon.h"
#include "app/commandline.h"
#include "app/pdfexport.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "app/umekalon.h"
#include "platform/files.h"

namespace {

void Report(const std::string& message) { std::fprintf(stderr, "mekalon: %s\n", message.c_str()); }

}  // namespace

int RunProgram(int argc, char** argv, int recoveryIntervalMs) {
    // Under a file-size limit a save fails with a reported error instead of ending the program.
    platform::IgnoreFileSizeSignal();
    // mekalon --pdf OUT.pdf FILE prints FILE into OUT.pdf without a window.
    if (const auto exported = pdfexport::Run(argc, argv)) return *exported;
    // --help and --version need no display either: the command line is read before the rest.
    CommandLine options;
    if (const auto exitCode = ParseCommandLine(argc, argv, options)) return *exitCode;
    QApplication app(argc, argv);
    // The desktop entry's id, as the application's name (the class of its windows, StartupWMClass
    // in the entry) and as the desktop file name: the desktop groups the windows under the
    // entry's icon.
    QCoreApplication::setApplicationName(QString::fromLatin1(kAppId));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));
    std::unique_ptr<App> windows = StartProgram(options);
    // Crash recovery offers what a killed run left, then keeps copies of the work.
    recovery::Start(*windows->MainWindow(), recoveryIntervalMs);
    const int result = app.exec();
    EndProgram(std::move(windows));
    return result;
}

std::unique_ptr<App> StartProgram(const CommandLine& options) {
    settings::Values kept;
    if (!options.noSettings) {
        std::string message;
        auto store = settings::Store::Open(settings::Folder(), message);
        if (!message.empty()) Report(message);
        if (store) kept = store->Loaded();
        settings::Use(std::move(store));
    }
    auto windows = std::make_unique<App>();
    Tfmekalon& main = *windows->MainWindow();
    // Before the window shows, so that it appears at once where it was left.
    if (settings::Current()) settings::Apply(main, kept);
    main.show();
    settings::ShowToolWindows(main, kept);
    if (!options.dictionary && !kept.lastDictionary.empty()) ReopenDictionary(main, kept.lastDictionary);
    // The command line's file first: opening it later would drop a restored text without a word.
    StartWith(main, options);
    main.ShowStatus();
    return windows;
}

void EndProgram(std::unique_ptr<App> windows) {
    if (windows) settings::Keep(*windows->MainWindow());
    if (settings::Store* store = settings::Current()) {
        std::string error;
        if (!store->Sync(error)) Report(error);
    }
    settings::Use(nullptr);
    windows.reset();
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
