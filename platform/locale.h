// The user's locale as far as numbers go: the decimal separator that numbers are read and
// written with. Taken from the system locale; tests put their own separator in its place. The
// rule of a usable separator is inline, for the number reading and writing that take one.
#pragma once

namespace platform {

// Whether a character can serve as the decimal separator: printable ASCII without the digits,
// the signs and the exponent letters, which would make numbers ambiguous.
constexpr bool UsableSeparator(char32_t c) {
    return c > 0x20 && c < 0x7F && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != 'e' && c != 'E';
}

// The decimal separator of the user's locale as one byte ("." or ","). A locale whose separator
// is not a single ASCII punctuation character gets ".".
char DecimalSeparator();

// Replaces the locale's separator until it is called again; 0 returns to the system locale's.
void SetDecimalSeparator(char separator);

}  // namespace platform
