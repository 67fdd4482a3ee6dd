#include "service/dates.h"

#include <gtest/gtest.h>

TEST(Dates, ZeroDateAndEmptyMeanNoDate) {
    EXPECT_TRUE(Dates::isNoDate(QDate(1899, 12, 30)));
    EXPECT_TRUE(Dates::isNoDate(QDate()));
    EXPECT_FALSE(Dates::isNoDate(QDate(1899, 12, 31)));
    EXPECT_EQ(Dates::toIso(Dates::zeroDate()), QString());
    EXPECT_EQ(Dates::toIso(QDate(2026, 12, 8)), QStringLiteral("2026-12-08"));
    EXPECT_EQ(Dates::fromIso(QStringLiteral("2026-12-08")), QDate(2026, 12, 8));
    EXPECT_FALSE(Dates::fromIso(QStringLiteral("1899-12-30")).isValid());
    EXPECT_FALSE(Dates::fromIso(QStringLiteral("garbage")).isValid());
}

TEST(Dates, ShortTextFollowsTheLocaleAndReadsBack) {
    const QLocale de(QLocale::German, QLocale::Germany);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QDate d(2026, 12, 24);
    EXPECT_EQ(Dates::toShortText(d, de), QStringLiteral("24.12.2026"));
    EXPECT_EQ(Dates::fromShortText(QStringLiteral("24.12.2026"), de), d);
    EXPECT_EQ(Dates::fromShortText(Dates::toShortText(d, us), us), d);
    EXPECT_EQ(Dates::fromShortText(QStringLiteral("2026-12-24"), de), d);
    EXPECT_FALSE(Dates::fromShortText(QStringLiteral("31.02.2026"), de).isValid());
    EXPECT_EQ(Dates::toShortText(QDate(), de), QString());
}

TEST(Dates, WholeDaysCutTheFractionOff) {
    const QDateTime a(QDate(2026, 1, 1), QTime(12, 0));
    EXPECT_EQ(Dates::wholeDaysBetween(a, QDateTime(QDate(2026, 1, 2), QTime(11, 59))), 0);
    EXPECT_EQ(Dates::wholeDaysBetween(a, QDateTime(QDate(2026, 1, 31), QTime(12, 0))), 30);
    EXPECT_EQ(Dates::wholeDaysBetween(a, QDateTime(QDate(2025, 12, 31), QTime(0, 0))), -1);
    EXPECT_EQ(Dates::wholeDaysBetween(QDate(2026, 2, 1), QDate(2026, 3, 1)), 28);
    EXPECT_EQ(Dates::fromSerial(Dates::toSerial(a)), a);
    EXPECT_EQ(Dates::toSerial(QDateTime(Dates::zeroDate(), QTime(0, 0))), 0.0);
}
