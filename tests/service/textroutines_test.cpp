#include "service/textroutines.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

TEST(TextRoutines, EscapingRoundTripsAnyTextOnOneLine) {
    QRandomGenerator rng(20261208);
    // Characters that matter to a settings file and to the escaping itself, plus some
    // non-ASCII letters and a character outside the basic plane.
    const QString alphabet = QStringLiteral("ab \\\r\n\t=[]x;\"'\x01\x7f") + QChar(0xE5) +
                             QChar(0x0141) + QChar(0x20AC) + QString::fromUcs4(U"\U0001F600");
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int length = int(rng.bounded(40));
        for (int i = 0; i < length; ++i)
            text += alphabet.at(int(rng.bounded(alphabet.size())));
        const QString escaped = StrStringToEscaped(text);
        ASSERT_FALSE(escaped.contains(QLatin1Char('\n')));
        ASSERT_FALSE(escaped.contains(QLatin1Char('\r')));
        ASSERT_EQ(StrEscapedToString(escaped), text) << escaped.toStdString();
    }
    const QString plain = QStringLiteral("Bank: 1234-5678 = [main] account, Åsa");
    EXPECT_EQ(StrStringToEscaped(plain), plain);
    EXPECT_EQ(StrEscapedToString(QStringLiteral("Line 1\\r\\nLine 2")),
              QStringLiteral("Line 1\r\nLine 2"));
    // A backslash that starts no known escape is kept (hand-written values).
    EXPECT_EQ(StrEscapedToString(QStringLiteral("C:\\data\\xy")), QStringLiteral("C:\\data\\xy"));
}

TEST(TextRoutines, SplittingCountingAndShortening) {
    EXPECT_EQ(RemoveBefore(QStringLiteral("Classic=Design1"), QStringLiteral("=")),
              QStringLiteral("Design1"));
    EXPECT_EQ(RemoveAfter(QStringLiteral("Classic=Design1"), QStringLiteral("=")),
              QStringLiteral("Classic"));
    EXPECT_EQ(RemoveBefore(QStringLiteral("a=b=c"), QStringLiteral("=")), QStringLiteral("b=c"));
    EXPECT_EQ(RemoveAfter(QStringLiteral("none"), QStringLiteral("=")), QStringLiteral("none"));
    EXPECT_EQ(CountSign(QStringLiteral("a\nb\nc\n"), QStringLiteral("\n")), 3);
    EXPECT_EQ(CountSign(QStringLiteral("aaaa"), QStringLiteral("aa")), 2);
    EXPECT_EQ(CountSign(QStringLiteral("abc"), QString()), 0);
    EXPECT_EQ(ShortenString(QStringLiteral("A long description text"), 15),
              QStringLiteral("A long descript"));
    EXPECT_EQ(ShortenString(QStringLiteral("short"), 15), QStringLiteral("short"));
}

TEST(TextRoutines, LongrowsCountsWholeMultiplesBeyondTheFirstWidth) {
    EXPECT_EQ(Longrows(QString(90, QLatin1Char('x')), 90), 0);
    EXPECT_EQ(Longrows(QString(179, QLatin1Char('x')), 90), 0);
    EXPECT_EQ(Longrows(QString(180, QLatin1Char('x')), 90), 1);
    EXPECT_EQ(Longrows(QString(271, QLatin1Char('x')), 90), 2);
    const QString twoLines =
        QString(200, QLatin1Char('x')) + QStringLiteral("\r\n") + QString(185, QLatin1Char('y'));
    EXPECT_EQ(Longrows(twoLines, 90), 2);
    EXPECT_EQ(Longrows(QString(), 90), 0);
}

TEST(TextRoutines, StyleTextsOfDesignFiles) {
    EXPECT_EQ(SetStyles(QString()), FontStyles());
    EXPECT_EQ(SetStyles(QStringLiteral("fsBold")), FontStyles(FontStyle::Bold));
    EXPECT_EQ(SetStyles(QStringLiteral("[fsBold,fsItalic]")), FontStyle::Bold | FontStyle::Italic);
    EXPECT_EQ(SetStyles(QStringLiteral(" fsItalic , fsUnderline ")),
              FontStyle::Italic | FontStyle::Underline);
    EXPECT_EQ(SetStyles(QStringLiteral("[fsWide,fsBold]")), FontStyles(FontStyle::Bold));
    EXPECT_EQ(SetStyles(QStringLiteral("[]")), FontStyles());
}
