// The user's locale as far as numbers go: the decimal separator that numbers are read and
// written with, taken from the system locale. The locale in use can be replaced, so that a test
// reads and writes numbers as a user of another locale would. The rule of a usable separator is
// inline, for the number reading and writing that take one.
#pragma once

namespace platform {

// Whether a character can serve as the decimal separator: printable ASCII without the digits,
// the signs and the exponent letters, which would make numbers ambiguous.
constexpr bool UsableSeparator(char32_t c) {
    return c > 0x20 && c < 0x7F && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != 'e' && c != 'E';
}

class NumberLocale {
public:
    virtual ~NumberLocale() = default;
    // The decimal separator as one byte ("." or ",").
    virtual char DecimalSeparator() const = 0;
};

// The locale in use: the system's, whose separator is "." when it is not a single ASCII
// punctuation character, unless another was installed. InstallNumberLocale(nullptr) returns to
// the system's.
NumberLocale& CurrentNumberLocale();
void InstallNumberLocale(NumberLocale* locale);

// The decimal separator of the locale in use.
inline char DecimalSeparator() { return CurrentNumberLocale().DecimalSeparator(); }

}  // namespace platform
