// Decimal separator from QLocale::system(), replaceable for tests.
#include "platform/locale.h"

#include <QLocale>
#include <QString>

namespace platform {

namespace {

char overrideSeparator = 0;

// Digits, signs, blanks and the exponent letters would make numbers ambiguous; only ASCII
// punctuation can serve as the separator.
bool Usable(char32_t c) {
    return c > 0x20 && c < 0x7F && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != 'e' && c != 'E';
}

}  // namespace

char DecimalSeparator() {
    if (overrideSeparator != 0) return overrideSeparator;
    const QList<uint> point = QLocale::system().decimalPoint().toUcs4();
    if (point.size() == 1 && Usable(point[0])) return static_cast<char>(point[0]);
    return '.';
}

void SetDecimalSeparator(char separator) { overrideSeparator = separator; }

}  // namespace platform
