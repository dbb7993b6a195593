// The user's locale as far as numbers go: the decimal separator that numbers are read and
// written with. Taken from the system locale; tests put their own separator in its place.
#pragma once

namespace platform {

// The decimal separator of the user's locale as one byte ("." or ","). A locale whose separator
// is not a single ASCII punctuation character gets ".".
char DecimalSeparator();

// Replaces the locale's separator until it is called again; 0 returns to the system locale's.
void SetDecimalSeparator(char separator);

}  // namespace platform
