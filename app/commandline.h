// The command line: mekalon [--dictionary DICT] [--no-settings] [FILE]. The parser is built in one place so that
// further options join it there.
#pragma once

#include <optional>
#include <string>

class Tfmekalon;

struct CommandLine {
    std::optional<std::string> file;        // opened at start as File > Open would
    std::optional<std::string> dictionary;  // opened at start as Dictionary > Open would
    bool noSettings = false;                // --no-settings: the first start's defaults, nothing kept
};

// Reads the arguments (argv[0] is the program). Returns the exit code when the program ends here:
// 0 after printing the usage (--help) or the program's version (--version), 2 after printing what was
// wrong and the usage to standard error; nothing when the program goes on with `options`.
std::optional<int> ParseCommandLine(int argc, char** argv, CommandLine& options);

// Opens what the command line names in the main window: the dictionary, then the file. A file that
// does not exist yet becomes a new empty text of that name; a file that cannot be opened reports
// its error and leaves the new text noname.txt.
void StartWith(Tfmekalon& window, const CommandLine& options);
