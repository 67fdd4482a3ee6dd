#include "service/currency.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

Currency money(const char* text) {
    return *Currency::parse(QString::fromLatin1(text), QLocale::c());
}

} // namespace

TEST(Currency, ConversionFromFloatingPointRoundsHalfToEven) {
    EXPECT_EQ(Currency::fromDouble(0.00005L).raw(), 0); // half of the last place, to even 0
    EXPECT_EQ(Currency::fromDouble(0.00015L).raw(), 2); // to even 2
    EXPECT_EQ(Currency::fromDouble(-0.00025L).raw(), -2);
    EXPECT_EQ(Currency::fromDouble(1.23456L).raw(), 12346);
    EXPECT_EQ(Currency::fromDouble(-1.23454L).raw(), -12345);
}

TEST(Currency, RowOfTheInvoiceComputationIsExactToTheTenThousandth) {
    // 3 x 19.90 at 10 % discount and 25 % VAT.
    const long double price = money("19.90").toLongDouble();
    const Currency sum = Currency::fromDouble(price * 3.0L * (1.0L - 10.0L / 100.0L));
    EXPECT_EQ(sum, money("53.73"));
    const Currency vat = Currency::fromDouble(25.0L * sum.toLongDouble() / 100.0L);
    EXPECT_EQ(vat, money("13.4325"));
    // Prices including VAT: 2 x 125.00 at 25 % gives VAT 250 x 20 / 100.
    const long double share = 25.0L * 100.0L / (25.0L + 100.0L);
    EXPECT_EQ(Currency::fromDouble(250.0L * share / 100.0L), money("50"));
}

TEST(Currency, RoundingToWholeUnitsGoesHalfToEven) {
    EXPECT_EQ(money("100.50").roundedToUnits(), money("100"));
    EXPECT_EQ(money("101.50").roundedToUnits(), money("102"));
    EXPECT_EQ(money("100.51").roundedToUnits(), money("101"));
    EXPECT_EQ(money("124.50").roundedToUnits(), money("124"));
    EXPECT_EQ(money("-100.50").roundedToUnits(), money("-100"));
    EXPECT_EQ(money("-101.50").roundedToUnits(), money("-102"));
    EXPECT_EQ(money("0.0049").roundedTo(2), money("0"));
    EXPECT_EQ(money("0.005").roundedTo(2), money("0"));
    EXPECT_EQ(money("0.015").roundedTo(2), money("0.02"));
}

TEST(Currency, SumsAreExactAndOverflowIsAnError) {
    Currency total;
    for (int i = 0; i < 10; ++i)
        total += money("0.1");
    EXPECT_EQ(total, money("1"));
    const Currency max = Currency::fromRaw(std::numeric_limits<std::int64_t>::max());
    const Currency min = Currency::fromRaw(std::numeric_limits<std::int64_t>::min());
    EXPECT_THROW(max + money("0.0001"), CurrencyOverflow);
    EXPECT_THROW(min - money("0.0001"), CurrencyOverflow);
    EXPECT_THROW(-min, CurrencyOverflow);
    EXPECT_THROW(Currency::fromDouble(1e30L), CurrencyOverflow);
    EXPECT_THROW(Currency::fromDouble(std::numeric_limits<long double>::infinity()),
                 CurrencyOverflow);
    EXPECT_THROW(Currency::fromInt(std::numeric_limits<std::int64_t>::max() / 1000),
                 CurrencyOverflow);
    EXPECT_THROW(max * 2.0L, CurrencyOverflow);
    EXPECT_EQ(min.toString(), QStringLiteral("-922337203685477.5808"));
}

TEST(Currency, FormatsInTheDesktopLocale) {
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    const QLocale sv(QLocale::Swedish, QLocale::Sweden);
    EXPECT_EQ(money("1234.5").format(2, false, en), QStringLiteral("1,234.50"));
    EXPECT_EQ(money("1234.5").format(2, false, de), QStringLiteral("1.234,50"));
    EXPECT_EQ(money("-0.125").format(2, false, en), QStringLiteral("-0.12"));
    EXPECT_EQ(money("1000").format(0, false, en), QStringLiteral("1,000"));
    EXPECT_EQ(money("1234.5").format(2, true, en), QStringLiteral("$1,234.50"));
    EXPECT_TRUE(money("1234.5").format(2, true, sv).contains(QStringLiteral("kr")));
    EXPECT_TRUE(money("1234.5").format(2, true, sv).contains(QStringLiteral("234,50")));
    EXPECT_TRUE(money("-5").format(2, true, en).contains(QStringLiteral("5.00")));
    EXPECT_TRUE(money("-5").format(2, true, en).startsWith(QLatin1Char('-')) ||
                money("-5").format(2, true, en).startsWith(QLatin1Char('(')));
    EXPECT_EQ(money("12345678.9").toString(), QStringLiteral("12345678.9"));
}

TEST(Currency, ParsesTypedAmountsAndRefusesEverythingElse) {
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(*Currency::parse(QStringLiteral("1,234.50"), en), money("1234.5"));
    EXPECT_EQ(*Currency::parse(QStringLiteral("1.234,50"), de), money("1234.5"));
    EXPECT_EQ(*Currency::parse(QStringLiteral("-7"), en), money("-7"));
    EXPECT_EQ(*Currency::parse(QStringLiteral("$12.00"), en), money("12"));
    EXPECT_EQ(*Currency::parse(QStringLiteral(".5"), en), money("0.5"));
    EXPECT_EQ(*Currency::parse(QStringLiteral("1.50000"), en), money("1.5"));
    for (const char* bad : {"", "abc", "1.2.3", "12a", "1.23456", "--1", "99999999999999999999"})
        EXPECT_FALSE(Currency::parse(QString::fromLatin1(bad), en).has_value()) << bad;
    // A decimal point typed where the comma is the separator is not read as a decimal.
    EXPECT_EQ(*Currency::parse(QStringLiteral("1.234"), de), money("1234"));
    EXPECT_FALSE(Currency::parse(QStringLiteral("1,5,5"), de).has_value());
}
