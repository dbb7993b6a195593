// The Convert commands on the editor's selection; the numbers themselves are read and written
// in currency_numbers.cpp.
#include "app/currency.h"

#include "editor/thaimemo.h"
#include "platform/locale.h"
#include "platform/services.h"

namespace currency {

void ConvertSelection(TThaimemo& memo, long double factor, Operation operation) {
    const std::string selected = memo.SelectedText();
    if (selected.empty()) {
        platform::Current().ShowMessage("Select a number");
        return;
    }
    const char separator = platform::DecimalSeparator();
    std::optional<long double> result;
    if (const auto value = ParseNumber(selected, separator))
        result = operation == Operation::Multiply ? Multiply(*value, factor) : Divide(*value, factor);
    if (!result) {
        platform::Current().ShowMessage("error");
        return;
    }
    memo.ReplaceSelection(FormatNumber(*result, separator));
}

std::optional<long double> FactorFromSelection(std::string_view selected) {
    if (selected.empty()) {
        platform::Current().ShowMessage("Select a number");
        return std::nullopt;
    }
    const auto value = ParseNumber(selected, platform::DecimalSeparator());
    if (!value) platform::Current().ShowMessage("error");
    return value;
}

}  // namespace currency
