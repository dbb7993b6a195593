// The random source and the locale's decimal separator as the puzzle and the currency commands
// use them.
#include <gtest/gtest.h>

#include <QLocale>
#include <set>
#include <vector>

#include "platform/locale.h"
#include "platform/random.h"
#include "testing/number_locale.h"

namespace {

std::vector<int> Draws(platform::RandomSource& r, int n, int bound) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i) v.push_back(r.Below(bound));
    return v;
}

TEST(RandomSource, DrawsStayBelowTheBoundAndCoverIt) {
    platform::SeededRandom r;
    std::set<int> seen;
    for (int v : Draws(r, 2000, 20)) {
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 20);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 20u);
    EXPECT_EQ(r.Below(1), 0);
    EXPECT_EQ(r.Below(0), 0);
    EXPECT_EQ(r.Below(-5), 0);
}

TEST(RandomSource, AFixedSeedReplaysAfterEveryRandomize) {
    platform::SeededRandom a(42), b(42), c(43);
    const auto first = Draws(a, 50, 20);
    EXPECT_EQ(Draws(b, 50, 20), first);
    EXPECT_NE(Draws(c, 50, 20), first);
    a.Randomize();
    EXPECT_EQ(Draws(a, 50, 20), first);
}

TEST(RandomSource, TheInstalledSourceServesTheShorthands) {
    platform::SeededRandom fixed(7), same(7);
    platform::InstallRandom(&fixed);
    platform::Randomize();
    std::vector<int> got;
    for (int i = 0; i < 10; ++i) got.push_back(platform::Random(20));
    platform::InstallRandom(nullptr);
    EXPECT_EQ(got, Draws(same, 10, 20));
    EXPECT_NE(&platform::CurrentRandom(), &fixed);
}

TEST(DecimalSeparator, FollowsTheSystemLocaleUnlessReplaced) {
    const QString system = QLocale::system().decimalPoint();
    const char expected = system.size() == 1 && system[0].unicode() < 0x7F ? system[0].toLatin1() : '.';
    EXPECT_EQ(platform::DecimalSeparator(), expected);
    {
        testlocale::FixedDecimalSeparator comma(',');
        EXPECT_EQ(platform::DecimalSeparator(), ',');
    }
    EXPECT_EQ(platform::DecimalSeparator(), expected);
}

}  // namespace
