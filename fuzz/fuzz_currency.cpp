// The currency numbers: ParseNumber accepts exactly its grammar (refusing only values beyond extended
// precision), and every finite value FormatNumber writes reads back, close to the value written.
//
// Input: the tail bytes choose a value (64-bit mantissa, binary exponent, sign) and the separator;
// the bytes before them are read as a number.
#include "app/currency.h"
#include "fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <string>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The grammar alone: blanks, sign, digits with at most one separator (at least one digit or the
// separator), an exponent with digits, blanks. Also gives the decimal magnitude of the number
// (position of its leading digit, exponent included) when it has a non-zero digit.
struct Shape {
    bool valid = false;
    bool nonZero = false;
    long magnitude = 0;
};

Shape Recognise(std::string_view t, char separator) {
    Shape shape;
    size_t i = 0;
    while (i < t.size() && t[i] == ' ') ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    bool point = false, any = false;
    long intDigits = 0, leadingFractionZeros = 0;
    bool seenNonZero = false;
    for (; i < t.size(); ++i) {
        if (IsDigit(t[i])) {
            any = true;
            if (t[i] != '0') seenNonZero = true;
            if (!point && seenNonZero) ++intDigits;
            if (point && !seenNonZero) ++leadingFractionZeros;
        } else if (t[i] == separator && !point) {
            point = true;
            any = true;
        } else {
            break;
        }
    }
    if (!any) return shape;
    long exponent = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
        const size_t from = i;
        while (i < t.size() && IsDigit(t[i])) {
            if (exponent < 1000000) exponent = exponent * 10 + (t[i] - '0');
            ++i;
        }
        if (i == from) return shape;
        if (negative) exponent = -exponent;
    }
    while (i < t.size() && t[i] == ' ') ++i;
    shape.valid = i == t.size();
    shape.nonZero = seenNonZero;
    shape.magnitude = (intDigits > 0 ? intDigits - 1 : -leadingFractionZeros - 1) + exponent;
    return shape;
}

void CheckParse(std::string_view text, char separator) {
    const std::optional<long double> value = currency::ParseNumber(text, separator);
    const Shape shape = Recognise(text, separator);
    if (value) {
        FUZZ_CHECK(shape.valid);
        FUZZ_CHECK(std::isfinite(*value));
        FUZZ_CHECK((*value != 0) <= shape.nonZero);
    } else if (shape.valid) {
        // Refused only beyond the largest value (about 1.19E+4932).
        FUZZ_CHECK(shape.nonZero && shape.magnitude >= 4932);
    }
}

void CheckFormat(long double value, char separator) {
    const std::string text = currency::FormatNumber(value, separator);
    const std::optional<long double> back = currency::ParseNumber(text, separator);
    FUZZ_CHECK(back.has_value());
    const long double size = std::fabs(value);
    if (text.find('E') == std::string::npos) {
        // Fixed point: two decimals, within half a hundredth (and the 18-digit cut).
        const size_t at = text.find(separator);
        FUZZ_CHECK(at != std::string::npos && at + 3 == text.size());
        FUZZ_CHECK(size < 1e18L);
        FUZZ_CHECK(std::fabs(*back - value) <= 0.005L + size * 1e-17L);
    } else {
        FUZZ_CHECK(size >= 1e18L);
        FUZZ_CHECK(std::fabs(*back - value) <= size * 1e-17L);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const char separator = in.ConsumeBool() ? ',' : '.';
    const auto mantissa = in.ConsumeIntegral<std::uint64_t>();
    const int exponent = in.ConsumeIntegralInRange<int>(-16500, 16400);
    const bool negative = in.ConsumeBool();
    const std::string text = in.ConsumeRemainingBytesAsString();

    CheckParse(text, separator);
    if (auto parsed = currency::ParseNumber(text, separator)) CheckFormat(*parsed, separator);
    const long double value = std::ldexp(static_cast<long double>(mantissa), exponent);
    if (std::isfinite(value)) CheckFormat(negative ? -value : value, separator);
    CheckFormat(negative ? -std::numeric_limits<long double>::max() : std::numeric_limits<long double>::max(), separator);
    return 0;
}
