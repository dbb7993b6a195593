// Decimal separator from QLocale::system(), replaceable for tests.
#include "platform/locale.h"

#include <QLocale>
#include <QString>

namespace platform {

namespace {

char overrideSeparator = 0;

}  // namespace

char DecimalSeparator() {
    if (overrideSeparator != 0) return overrideSeparator;
    const QList<uint> point = QLocale::system().decimalPoint().toUcs4();
    if (point.size() == 1 && UsableSeparator(point[0])) return static_cast<char>(point[0]);
    return '.';
}

void SetDecimalSeparator(char separator) { overrideSeparator = separator; }

}  // namespace platform
