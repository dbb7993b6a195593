// The program's built-in help text, shown in the about window.
#pragma once

// The program and its version ("Mekalon 5.2"), as its title, its about window and --version name
// it. The version is the project's, from CMake.
extern const char* const kProgramVersion;

// Lines separated by LF.
extern const char* const kHelpText;
