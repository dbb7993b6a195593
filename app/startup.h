// The program's run: the kept settings read (unless --no-settings), the windows
// made and brought to those settings, the command line's dictionary (or else the last one) and
// file opened; at the end the settings written and the windows freed.
#pragma once

#include <memory>
#include <string>

class App;
struct CommandLine;
class Tfmekalon;

// The whole run of the program: the export without a window (--pdf), --help and --version, or
// the application with its windows until the main window closes, crash recovery keeping copies
// every `recoveryIntervalMs`. Returns the exit status.
int RunProgram(int argc, char** argv, int recoveryIntervalMs);

// Opens the settings store (an unreadable settings file is moved aside, with a message on standard
// error), creates the windows, applies the kept settings, shows the main window and opens what the
// command line names, or else the last dictionary. Returns the application object that owns
// the windows.
std::unique_ptr<App> StartProgram(const CommandLine& options);
// Keeps the main window's state in the settings store and writes it (a failure is reported on
// standard error), then frees the windows and the store.
void EndProgram(std::unique_ptr<App> windows);

// Opens the last dictionary as Dictionary > Open would. One that is gone or cannot be read is no
// error box: the status bar says so and the dictionary stays empty.
void ReopenDictionary(Tfmekalon& window, const std::string& path);
