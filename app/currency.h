// Currency conversion: a selected number in the editor is multiplied or divided by the factor
// and replaced by the result with two decimals, and the factor is taken from a selection.
// Numbers are read and written with the locale's decimal separator (platform/locale.h); the
// reading and writing themselves are pure functions of the text and the separator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class TThaimemo;

namespace currency {

// Reads a decimal number in extended precision: optional blanks, an optional sign, digits with
// at most one decimal separator, an optional exponent ("E" or "e", optional sign, digits),
// optional blanks and nothing else. At least one digit or the separator must be present.
// Nothing (nullopt) for anything else, and for a value too large for extended precision.
std::optional<long double> ParseNumber(std::string_view text, char separator);

// Writes a value fixed-point with exactly two decimals after the separator: the value is first
// cut to its 18 leading significant digits (to nearest), then rounded to two decimals with a 5
// in the third decimal rounding away from zero. A value with more than 18 digits before the
// separator is written as its 18 significant digits in exponent form instead ("1.5E+20"), a
// form that ParseNumber reads back (next to the largest value the digits are cut, not rounded up).
std::string FormatNumber(long double value, char separator);

// Product and quotient in extended precision; nothing when the result is not a finite number
// (overflow, division by zero).
std::optional<long double> Multiply(long double value, long double factor);
std::optional<long double> Divide(long double value, long double factor);

enum class Operation { Multiply, Divide };

// The two conversion commands: the editor's selected number times or divided by the factor
// replaces the selection. Shows "Select a number" when nothing is selected and "error" when the
// selection is not a number or the arithmetic fails; the text is then unchanged.
void ConvertSelection(TThaimemo& memo, long double factor, Operation operation);

// Reads a new factor from a selected text. Shows "Select a number" for an empty text and "error"
// for one that is not a number, and then returns nothing.
std::optional<long double> FactorFromSelection(std::string_view selected);

}  // namespace currency
