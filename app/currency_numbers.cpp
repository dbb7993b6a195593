// Reading and writing the numbers of the currency conversion: pure functions of the text and
// the decimal separator, in extended precision, and the checked arithmetic on them.
#include "app/currency.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

#include "platform/locale.h"

namespace currency {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A separator that could be confused with the rest of the number's syntax is taken as ".".
char SeparatorOrPoint(char separator) {
    return platform::UsableSeparator(static_cast<unsigned char>(separator)) ? separator : '.';
}

// strtold in the "C" locale, whatever locale the process runs in (Qt sets the user's).
long double ParseCanonical(const std::string& text) {
    static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtold_l(text.c_str(), nullptr, c);
}

// The decimal digit string less one unit in its last place; "1000" gives "0999".
std::string OneUnitLess(std::string digits) {
    for (size_t k = digits.size(); k-- > 0;) {
        if (digits[k] != '0') {
            --digits[k];
            break;
        }
        digits[k] = '9';
    }
    return digits;
}

}  // namespace

std::optional<long double> ParseNumber(std::string_view text, char separator) {
    separator = SeparatorOrPoint(separator);
    const size_t n = text.size();
    size_t i = 0;
    while (i < n && text[i] == ' ') ++i;

    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string whole, fraction;
    bool point = false;
    for (; i < n; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            (point ? fraction : whole) += c;
        } else if (c == separator && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (whole.empty() && fraction.empty() && !point) return std::nullopt;

    std::string exponent;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) exponent += text[i++];
        const size_t digitsFrom = i;
        while (i < n && IsDigit(text[i])) exponent += text[i++];
        if (i == digitsFrom) return std::nullopt;  // "E" without digits
    }
    while (i < n && text[i] == ' ') ++i;
    if (i != n) return std::nullopt;

    std::string canonical = negative ? "-" : "";
    canonical += whole.empty() ? "0" : whole;
    canonical += '.';
    canonical += fraction.empty() ? "0" : fraction;
    if (!exponent.empty()) canonical += "e" + exponent;
    const long double value = ParseCanonical(canonical);
    if (!std::isfinite(value)) return std::nullopt;  // too large for extended precision
    return value;
}

std::string FormatNumber(long double value, char separator) {
    separator = SeparatorOrPoint(separator);
    if (!std::isfinite(value)) return "error";

    // The 18 leading significant digits, rounded to nearest by the C library. The text between
    // the first digit and the "e" is read as digits only, so the locale's point does not matter.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", value);
    bool negative = false;
    std::string digits;
    int exponent = 0;
    for (const char* p = buffer; *p; ++p) {
        if (*p == '-' && digits.empty()) {
            negative = true;
        } else if (IsDigit(*p)) {
            digits += *p;
        } else if (*p == 'e' || *p == 'E') {
            exponent = std::atoi(p + 1);
            break;
        }
    }
    // digits = d1 d2 ... d18, value = d1.d2...d18 × 10^exponent; intDigits digits stand before
    // the separator.
    const int count = static_cast<int>(digits.size());
    const int intDigits = exponent + 1;

    if (intDigits > count) {
        // More digits before the separator than are significant: exponent form. Next to the
        // largest finite value, rounding to nearest can give digits above it, which would not
        // read back; those digits are cut towards zero instead (one unit less in the last place).
        const auto exponentForm = [&](std::string mantissa) {
            while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
            std::string out = negative ? "-" : "";
            out += mantissa[0];
            if (mantissa.size() > 1) {
                out += separator;
                out += mantissa.substr(1);
            }
            out += "E+" + std::to_string(exponent);
            return out;
        };
        std::string out = exponentForm(digits);
        if (!ParseNumber(out, separator)) out = exponentForm(OneUnitLess(digits));
        return out;
    }

    // The digits as integer part and fraction, the fraction padded to three places.
    std::string whole, fraction;
    if (intDigits <= 0) {
        whole = "0";
        fraction = std::string(static_cast<size_t>(-intDigits), '0') + digits;
    } else {
        whole = digits.substr(0, static_cast<size_t>(intDigits));
        fraction = digits.substr(static_cast<size_t>(intDigits));
    }
    while (fraction.size() < 3) fraction += '0';

    // Keep two decimals; a 5 or more in the third rounds the magnitude up.
    std::string kept = whole + fraction.substr(0, 2);
    if (fraction[2] >= '5') {
        int k = static_cast<int>(kept.size()) - 1;
        while (k >= 0 && kept[static_cast<size_t>(k)] == '9') kept[static_cast<size_t>(k--)] = '0';
        if (k >= 0)
            ++kept[static_cast<size_t>(k)];
        else
            kept.insert(kept.begin(), '1');
    }
    std::string integer = kept.substr(0, kept.size() - 2);
    const size_t firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? "0" : integer.substr(firstNonZero);
    const std::string decimals = kept.substr(kept.size() - 2);

    // A value that rounds to zero is written without a sign.
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    std::string out = negative && !zero ? "-" : "";
    out += integer;
    out += separator;
    out += decimals;
    return out;
}

std::optional<long double> Multiply(long double value, long double factor) {
    const long double product = value * factor;
    if (!std::isfinite(product)) return std::nullopt;
    return product;
}

std::optional<long double> Divide(long double value, long double factor) {
    if (factor == 0) return std::nullopt;
    const long double quotient = value / factor;
    if (!std::isfinite(quotient)) return std::nullopt;
    return quotient;
}

}  // namespace currency
