// A locale with a decimal separator of the test's choosing, installed while it lives.
#pragma once

#include "platform/locale.h"

namespace testlocale {

class FixedDecimalSeparator : public platform::NumberLocale {
public:
    explicit FixedDecimalSeparator(char separator) : separator_(separator) { platform::InstallNumberLocale(this); }
    ~FixedDecimalSeparator() override { platform::InstallNumberLocale(nullptr); }
    FixedDecimalSeparator(const FixedDecimalSeparator&) = delete;
    FixedDecimalSeparator& operator=(const FixedDecimalSeparator&) = delete;
    void Set(char separator) { separator_ = separator; }
    char DecimalSeparator() const override { return separator_; }

private:
    char separator_;
};

}  // namespace testlocale
