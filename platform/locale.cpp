// The system locale's decimal separator, from QLocale::system(); replaceable as a whole.
#include "platform/locale.h"

#include <QLocale>
#include <QString>

namespace platform {

namespace {

class SystemNumberLocale : public NumberLocale {
public:
    char DecimalSeparator() const override {
        const QList<uint> point = QLocale::system().decimalPoint().toUcs4();
        if (point.size() == 1 && UsableSeparator(point[0])) return static_cast<char>(point[0]);
        return '.';
    }
};

NumberLocale* installed = nullptr;

}  // namespace

NumberLocale& CurrentNumberLocale() {
    if (installed) return *installed;
    static SystemNumberLocale system;
    return system;
}

void InstallNumberLocale(NumberLocale* locale) { installed = locale; }

}  // namespace platform
