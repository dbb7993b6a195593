// The program's built-in help text, shown in the about window.
#pragma once

// The version the program names in its title and its about window.
inline constexpr const char* kProgramVersion = "Mekalon 5.2";

// Lines separated by LF.
extern const char* const kHelpText;
