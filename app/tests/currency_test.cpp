// Currency conversion: reading and writing numbers with the locale's separator, and the three
// Convert commands driven through the main window's menu on a selection made with the keys.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <cmath>
#include <limits>

#include "app/currency.h"
#include "app/tests/app_fixture.h"
#include "app/umekalon.h"
#include "platform/locale.h"
#include "testing/number_locale.h"

namespace {

using currency::FormatNumber;
using currency::ParseNumber;

long double Parsed(const char* text, char separator = '.') {
    auto v = ParseNumber(text, separator);
    EXPECT_TRUE(v.has_value()) << "not read: \"" << text << "\"";
    return v.value_or(-12345);
}

TEST(CurrencyNumbers, ReadsSignsSeparatorsExponentsAndSurroundingBlanks) {
    EXPECT_EQ(Parsed("12.5"), 12.5L);
    EXPECT_EQ(Parsed(" +12.5  "), 12.5L);
    EXPECT_EQ(Parsed("-0.25"), -0.25L);
    EXPECT_EQ(Parsed("-.5"), -0.5L);
    EXPECT_EQ(Parsed("5."), 5.0L);
    EXPECT_EQ(Parsed("."), 0.0L);  // the separator alone counts as a number
    EXPECT_EQ(Parsed("007"), 7.0L);
    EXPECT_EQ(Parsed("1.5E1"), 15.0L);
    EXPECT_EQ(Parsed("1e3"), 1000.0L);
    EXPECT_EQ(Parsed("2.5e-1"), 0.25L);
    EXPECT_EQ(Parsed("4E+2"), 400.0L);
    EXPECT_EQ(Parsed("2,5", ','), 2.5L);
    EXPECT_EQ(Parsed(" -1,25E2 ", ','), -125.0L);
    // Extended precision: 2^64 + 1 survives, which a double would lose.
    EXPECT_EQ(Parsed("18446744073709551615"), 18446744073709551615.0L);
    EXPECT_NE(Parsed("9007199254740993"), 9007199254740992.0L);
    // Below the smallest value: zero, not an error.
    EXPECT_EQ(Parsed("1E-6000"), 0.0L);
}

TEST(CurrencyNumbers, RefusesEverythingElse) {
    const char* refusedWithPoint[] = {"",     " ",     "+",      "-",     "e5",  "E",    "1e",    "1e+",
                                      "1.2.3", "1,000", "1 000", "\t5",   "5\t", "5\r\n", "12a",  "0x10",
                                      "inf",  "nan",   "--5",   "+-5",   "1e5.5", "1e 5", "- 5", "1E5000",
                                      "2.5\r\n3"};
    for (const char* text : refusedWithPoint) EXPECT_FALSE(ParseNumber(text, '.').has_value()) << '"' << text << '"';
    EXPECT_FALSE(ParseNumber("2.5", ',').has_value());
    EXPECT_FALSE(ParseNumber("1.000,5", ',').has_value());
    EXPECT_FALSE(ParseNumber("2,5", '.').has_value());
}

TEST(CurrencyNumbers, WritesTwoDecimalsRoundingAFiveInTheThirdAwayFromZero) {
    struct Case {
        long double value;
        const char* text;
    };
    const Case cases[] = {
        {500, "500.00"},      {0.3125L, "0.31"},  {0.125L, "0.13"},  {-0.125L, "-0.13"},
        {2.675L, "2.68"},     {0.005L, "0.01"},   {0.0049L, "0.00"}, {9.995L, "10.00"},
        {-9.995L, "-10.00"},  {0.995L, "1.00"},   {0, "0.00"},       {-0.0L, "0.00"},
        {-0.001L, "0.00"},    {1e-30L, "0.00"},   {7, "7.00"},       {-280, "-280.00"},
        {1234567.891L, "1234567.89"},
        // The value is first cut to 18 significant digits: 1.005 is stored a hair below 1.005,
        // but its 18 digits are 1.00500000000000000, so it rounds up.
        {1.005L, "1.01"},
        // Exactly 18 digits before the point: still fixed-point; 19 or more: exponent form.
        {123456789012345678.0L, "123456789012345678.00"},
        {1234567890123456789.0L, "1.23456789012345679E+18"},
        {1e20L, "1E+20"},
        {-2.5e25L, "-2.5E+25"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatNumber(c.value, '.'), c.text) << static_cast<double>(c.value);
    EXPECT_EQ(FormatNumber(100, ','), "100,00");
    EXPECT_EQ(FormatNumber(-0.3125L, ','), "-0,31");
    EXPECT_EQ(FormatNumber(1.5e20L, ','), "1,5E+20");
    // A separator the locale could not have (a sign, a blank, a byte past ASCII) is taken as ".".
    for (char unusable : {'+', 'e', '\t', '\xA1'}) EXPECT_EQ(FormatNumber(100, unusable), "100.00") << int(unusable);
}

TEST(CurrencyNumbers, ExponentFormReadsBackToTheSameValue) {
    // At the top of the range the nearest 18 digits lie above the largest value: they are cut.
    const long double largest = std::numeric_limits<long double>::max();
    EXPECT_EQ(FormatNumber(largest, '.'), "1.18973149535723176E+4932");
    for (long double v : {1e20L, -2.5e25L, 1234567890123456789.0L, 9.87654321e100L, largest, -largest,
                          std::nextafter(largest, 0.0L)}) {
        const auto back = ParseNumber(FormatNumber(v, ','), ',');
        ASSERT_TRUE(back.has_value()) << FormatNumber(v, ',');
        EXPECT_NEAR(static_cast<double>(*back / v), 1.0, 1e-17);
    }
}

TEST(CurrencyNumbers, ArithmeticFailsOnDivisionByZeroAndOverflow) {
    EXPECT_EQ(currency::Multiply(12.5L, 40).value(), 500.0L);
    EXPECT_EQ(currency::Divide(12.5L, 40).value(), 0.3125L);
    EXPECT_EQ(currency::Multiply(3, 0).value(), 0.0L);
    EXPECT_FALSE(currency::Divide(3, 0).has_value());
    EXPECT_FALSE(currency::Divide(0, 0).has_value());
    EXPECT_FALSE(currency::Multiply(1e4932L, 40).has_value());
    EXPECT_FALSE(currency::Divide(1e4932L, 1e-10L).has_value());
    // Extended range: far beyond a double, still a number.
    EXPECT_TRUE(currency::Multiply(1e400L, 40).has_value());
}

// ---- The commands, through the main window ----------------------------------------------------

class ConvertCommandTest : public AppWindowsTest {
protected:
    // The commands read and write numbers with the locale's separator: "." unless a test says.
    testlocale::FixedDecimalSeparator separator{'.'};
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(fmekalon->Tm1->tcm, key, mods);
    }
    // Gives the editor these lines and selects `length` cells from (line, col) with Shift+Right.
    void Select(std::vector<std::string> lines, int line, int col, int length) {
        fmekalon->Tm1->Lines.Assign(std::move(lines));
        fmekalon->Tm1->Modified = false;  // as after loading the text
        Key(Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < line; ++i) Key(Qt::Key_Down);
        for (int i = 0; i < col; ++i) Key(Qt::Key_Right);
        for (int i = 0; i < length; ++i) Key(Qt::Key_Right, Qt::ShiftModifier);
    }
    std::string Line(int i) const { return fmekalon->Tm1->Lines[i]; }
    std::string Caption(QAction* a) const { return a->text().toStdString(); }

};

TEST_F(ConvertCommandTest, MultiplyAndDivideReplaceTheSelectedNumber) {
    Select({"price 12.5 USD"}, 0, 6, 4);
    ASSERT_EQ(fmekalon->Tm1->SelectedText(), "12.5");
    fmekalon->Multiplywith->trigger();
    EXPECT_EQ(Line(0), "price 500.00 USD");
    EXPECT_TRUE(fmekalon->Tm1->Modified);
    EXPECT_FALSE(fmekalon->Tm1->Selecting);
    // The cursor stands in front of the inserted text.
    EXPECT_EQ(fmekalon->Tm1->CursorCol, 6);

    Select({"price 12.5 USD"}, 0, 6, 4);
    fmekalon->Divideby->trigger();
    EXPECT_EQ(Line(0), "price 0.31 USD");
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(ConvertCommandTest, BlanksAroundTheNumberAreReplacedToo) {
    Select({"a 7 b"}, 0, 1, 3);
    ASSERT_EQ(fmekalon->Tm1->SelectedText(), " 7 ");
    fmekalon->Multiplywith->trigger();
    EXPECT_EQ(Line(0), "a280.00b");
}

TEST_F(ConvertCommandTest, CommaLocaleReadsAndWritesWithComma) {
    separator.Set(',');
    Select({"2,5"}, 0, 0, 3);
    fmekalon->Multiplywith->trigger();
    EXPECT_EQ(Line(0), "100,00");
    EXPECT_TRUE(services.messages.empty());

    Select({"2.5"}, 0, 0, 3);
    fmekalon->Multiplywith->trigger();
    EXPECT_EQ(Line(0), "2.5");
    EXPECT_EQ(services.messages, std::vector<std::string>{"error"});
}

TEST_F(ConvertCommandTest, NonNumbersShowErrorAndLeaveTheTextAlone) {
    const std::vector<std::string> text = {"1,000 and 12abc", "3", "4"};
    Select(text, 0, 0, 5);  // thousands separator
    fmekalon->Multiplywith->trigger();
    Select(text, 0, 10, 5);  // letters
    fmekalon->Divideby->trigger();
    // A selection over a line break: "3" CR LF "4".
    Select(text, 1, 0, 0);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(fmekalon->Tm1->SelectedText(), "3\r\n4");
    fmekalon->Multiplywith->trigger();
    EXPECT_EQ(services.messages, (std::vector<std::string>{"error", "error", "error"}));
    EXPECT_EQ(fmekalon->Tm1->Lines.All(), text);
    EXPECT_FALSE(fmekalon->Tm1->Modified);
    EXPECT_EQ(static_cast<double>(fmekalon->factor), 40.0);
}

TEST_F(ConvertCommandTest, NothingSelectedAsksForANumber) {
    fmekalon->Tm1->Lines.Assign({"12"});
    fmekalon->Multiplywith->trigger();
    fmekalon->Divideby->trigger();
    fmekalon->ChangeFactorDivisor->trigger();
    EXPECT_EQ(services.messages, (std::vector<std::string>{"Select a number", "Select a number", "Select a number"}));
    EXPECT_EQ(Line(0), "12");
    EXPECT_EQ(Caption(fmekalon->Multiplywith), "&Multiply with 40");
}

TEST_F(ConvertCommandTest, ChangeFactorTakesTheSelectionAsFactorAndCaption) {
    EXPECT_EQ(Caption(fmekalon->Multiplywith), "&Multiply with 40");
    EXPECT_EQ(Caption(fmekalon->Divideby), "&Divide by 40");
    Select({"rate 1.5E1"}, 0, 5, 5);
    fmekalon->ChangeFactorDivisor->trigger();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(fmekalon->factor, 15.0L);
    EXPECT_EQ(Caption(fmekalon->Multiplywith), "&Multiply with 1.5E1");
    EXPECT_EQ(Caption(fmekalon->Divideby), "&Divide by 1.5E1");
    EXPECT_EQ(Caption(fmekalon->ChangeFactorDivisor), "&Change Factor/Divisor");
    // The selection and the text stay.
    EXPECT_EQ(fmekalon->Tm1->SelectedText(), "1.5E1");
    EXPECT_EQ(Line(0), "rate 1.5E1");

    // The new factor is used by both commands.
    Select({"3"}, 0, 0, 1);
    fmekalon->Multiplywith->trigger();
    EXPECT_EQ(Line(0), "45.00");
    Select({"3"}, 0, 0, 1);
    fmekalon->Divideby->trigger();
    EXPECT_EQ(Line(0), "0.20");

    // The caption shows the selection exactly, blanks included.
    Select({" 35,5 "}, 0, 0, 6);
    separator.Set(',');
    fmekalon->ChangeFactorDivisor->trigger();
    EXPECT_EQ(fmekalon->factor, 35.5L);
    EXPECT_EQ(Caption(fmekalon->Multiplywith), "&Multiply with  35,5 ");
}

TEST_F(ConvertCommandTest, ANonNumberKeepsFactorAndCaptions) {
    Select({"7.5", "x7"}, 0, 0, 3);
    fmekalon->ChangeFactorDivisor->trigger();
    ASSERT_EQ(fmekalon->factor, 7.5L);
    Select({"7.5", "x7"}, 1, 0, 2);
    fmekalon->ChangeFactorDivisor->trigger();
    EXPECT_EQ(services.messages, std::vector<std::string>{"error"});
    EXPECT_EQ(fmekalon->factor, 7.5L);
    EXPECT_EQ(Caption(fmekalon->Multiplywith), "&Multiply with 7.5");
    EXPECT_EQ(Caption(fmekalon->Divideby), "&Divide by 7.5");
}

TEST_F(ConvertCommandTest, FactorZeroMultipliesToZeroAndDivisionFails) {
    Select({"0"}, 0, 0, 1);
    fmekalon->ChangeFactorDivisor->trigger();
    ASSERT_EQ(fmekalon->factor, 0.0L);
    Select({"12.5"}, 0, 0, 4);
    fmekalon->Multiplywith->trigger();
    EXPECT_EQ(Line(0), "0.00");
    Select({"12.5"}, 0, 0, 4);
    fmekalon->Divideby->trigger();
    EXPECT_EQ(Line(0), "12.5");
    EXPECT_EQ(services.messages, std::vector<std::string>{"error"});
}

TEST_F(ConvertCommandTest, OverflowShowsError) {
    Select({"1E4932"}, 0, 0, 6);
    fmekalon->Multiplywith->trigger();
    EXPECT_EQ(Line(0), "1E4932");
    EXPECT_EQ(services.messages, std::vector<std::string>{"error"});
}

TEST_F(ConvertCommandTest, ANumberOnTheSecondLineIsReplacedInPlace) {
    // Factor 1 keeps the value, so only the rounding shows.
    Select({"1"}, 0, 0, 1);
    fmekalon->ChangeFactorDivisor->trigger();
    Select({"first", "sum: 2.675", "last"}, 1, 5, 5);
    fmekalon->Multiplywith->trigger();
    EXPECT_EQ(fmekalon->Tm1->Lines.All(), (std::vector<std::string>{"first", "sum: 2.68", "last"}));
}

}  // namespace
