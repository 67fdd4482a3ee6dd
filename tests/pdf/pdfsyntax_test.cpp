#include "pdf/pdfencodings.h"
#include "pdf/pdfsyntax.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace pdf;

TEST(PdfSyntax, NumbersHaveFourDecimalsAndAPoint) {
    EXPECT_EQ(formatNumber(8.2677 * 72), "595.2744");
    EXPECT_EQ(formatNumber(11.6929 * 72), "841.8888");
    EXPECT_EQ(formatNumber(0), "0.0000");
    EXPECT_EQ(formatNumber(-0.5), "-0.5000");
    EXPECT_EQ(formatNumber(1.00005), "1.0001");  // halves round away from zero
    EXPECT_EQ(formatNumber(-0.00004), "0.0000"); // no "-0.0000"
    EXPECT_EQ(formatNumber(123456789.12345), "123456789.1235");
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::quiet_NaN()), "0.0000");
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::infinity()), "0.0000");
    EXPECT_EQ(formatNumber(-1e20), "-900000000000000.0000");

    std::string out;
    appendInteger(out, -42);
    appendInteger(out, std::numeric_limits<long long>::min());
    EXPECT_EQ(out, "-42-9223372036854775808");
}

TEST(PdfSyntax, ColoursAreComponentsOverTwoHundredFiftyFive) {
    std::string out;
    appendColor(out, QColor(255, 0, 0));
    EXPECT_EQ(out, "1.0000 0.0000 0.0000");
    out.clear();
    appendColor(out, QColor(0xC0, 0x80, 0x01));
    EXPECT_EQ(out, "0.7529 0.5020 0.0039");
    out.clear();
    appendColor(out, QColor()); // an unset colour draws black
    EXPECT_EQ(out, "0.0000 0.0000 0.0000");
    out.clear();
    appendReference(out, 17);
    EXPECT_EQ(out, "17 0 R");
}

TEST(PdfSyntax, LiteralStringsEscapeDelimitersAndControlsAndExpandTabs) {
    std::string out;
    appendLiteralBody(out, "a(b)c\\d");
    EXPECT_EQ(out, "a\\(b\\)c\\\\d");
    out.clear();
    appendLiteralBody(out, "\b\f\n\r");
    EXPECT_EQ(out, "\\b\\f\\n\\r");
    // A tab fills up to the next multiple of eight characters; an escaped character counts
    // as one.
    out.clear();
    appendLiteralBody(out, "ab\tc");
    EXPECT_EQ(out, "ab      c");
    out.clear();
    appendLiteralBody(out, "12345678\t(");
    EXPECT_EQ(out, "12345678        \\(");
    out.clear();
    appendLiteralBody(out, "(\tx");
    EXPECT_EQ(out, "\\(       x");
    EXPECT_EQ(expandTabs(QStringLiteral("ab\tc\t")), QStringLiteral("ab      c       "));
    EXPECT_EQ(expandTabs(QStringLiteral("no tabs")), QStringLiteral("no tabs"));
}

TEST(PdfSyntax, FontNamesEscapeDelimitersBlanksAndNonAscii) {
    EXPECT_EQ(escapeName("Arial,Bold"), "Arial,Bold");
    EXPECT_EQ(escapeName("A(b)<c>[d]{e}/f%g"), "A#28b#29#3Cc#3E#5Bd#5D#7Be#7D#2Ff#25g");
    EXPECT_EQ(escapeName("Liberation Sans#1"), "Liberation#20Sans#231");
    EXPECT_EQ(escapeName(QByteArray("Caf\xE9")), "Caf#E9");
}

TEST(PdfSyntax, TextValuesAreUtf16BigEndianWithByteOrderMark) {
    EXPECT_EQ(toHex(utf16beWithMark(QStringLiteral("A"))), "FEFF0041");
    EXPECT_EQ(toHex(utf16beWithMark(QString::fromUtf8("Łódź"))), "FEFF014100F30064017A");
    // Outside the basic plane: a surrogate pair.
    EXPECT_EQ(toHex(utf16beWithMark(QString::fromUtf8("\xF0\x9F\x98\x80"))), "FEFFD83DDE00");
}

TEST(PdfSyntax, TimeZoneFollowsTheLocalBias) {
    EXPECT_EQ(timeZoneFromBias(-330), QStringLiteral("+05'30'")); // India
    EXPECT_EQ(timeZoneFromBias(180), QStringLiteral("-03'00'"));  // Brazil
    EXPECT_EQ(timeZoneFromBias(0), QStringLiteral("+00'00'"));
    EXPECT_EQ(timeZoneFromBias(210), QStringLiteral("-03'30'"));  // Newfoundland
    EXPECT_EQ(timeZoneFromBias(-765), QStringLiteral("+12'45'")); // Chatham Islands
    EXPECT_EQ(timeZoneFromBias(30), QStringLiteral("-00'30'"));   // under an hour, west
    EXPECT_EQ(timeZoneFromBias(-30), QStringLiteral("+00'30'"));

    const QDateTime india(QDate(2024, 2, 29), QTime(23, 5, 9), QTimeZone(19800));
    EXPECT_EQ(timeStamp(india), QStringLiteral("D:20240229230509+05'30'"));
    const QDateTime brazil(QDate(2024, 1, 2), QTime(3, 4, 5), QTimeZone(-10800));
    EXPECT_EQ(timeStamp(brazil), QStringLiteral("D:20240102030405-03'00'"));
    const QDateTime utc(QDate(2024, 12, 31), QTime(0, 0, 0), QTimeZone::utc());
    EXPECT_EQ(timeStamp(utc), QStringLiteral("D:20241231000000+00'00'"));
}

TEST(PdfSyntax, LinksAreFoundInAnInvoiceLine) {
    const QList<FoundLink> links = findLinks(QStringLiteral(
        "Mail info@example.com, see www.example.com or https://x.org/a?b=1. File C:\\doc\\a.pdf"));
    ASSERT_EQ(links.size(), 4);
    EXPECT_EQ(links[0].target, QStringLiteral("info@example.com"));
    EXPECT_EQ(links[0].start, 5);
    EXPECT_EQ(links[0].length, 16);
    EXPECT_EQ(links[1].target, QStringLiteral("www.example.com"));
    EXPECT_EQ(links[2].target, QStringLiteral("https://x.org/a?b=1"));
    EXPECT_EQ(links[3].target, QStringLiteral("C:\\doc\\a.pdf"));

    EXPECT_TRUE(findLinks(QStringLiteral("Product description 7 with words")).isEmpty());
    EXPECT_TRUE(findLinks(QStringLiteral("Time 12:30, ratio 1:2, a@b")).isEmpty());
    EXPECT_TRUE(findLinks(QString()).isEmpty());
}

TEST(PdfSyntax, LinkActionsByKindOfTarget) {
    const LinkAction mail = linkAction(QStringLiteral("info@example.com"));
    EXPECT_EQ(mail.before, "/S/URI /URI");
    EXPECT_TRUE(mail.hexString);
    EXPECT_EQ(mail.stringBytes, "mailto:info@example.com");
    EXPECT_EQ(linkAction(QStringLiteral("mailto:a@b.se")).stringBytes, "mailto:a@b.se");
    EXPECT_EQ(linkAction(QStringLiteral("www.example.com")).stringBytes, "http://www.example.com");
    EXPECT_EQ(linkAction(QStringLiteral("https://example.com/x")).stringBytes,
              "https://example.com/x");

    const LinkAction file = linkAction(QStringLiteral("C:\\docs\\a.pdf"));
    EXPECT_EQ(file.before, "/Type /Action/S /Launch/F ");
    EXPECT_FALSE(file.hexString);
    EXPECT_EQ(file.stringBytes, "/C/docs/a.pdf");
    EXPECT_EQ(file.after, " /NewWindow true");
    EXPECT_EQ(linkAction(QStringLiteral("C:\\up\\..\\a.pdf")).stringBytes, "C/up/../a.pdf");
}

TEST(PdfSyntax, ArcsUseTheFourThirdsFactor) {
    // A quarter circle: 4/3 * (sqrt(2) - 1).
    EXPECT_NEAR(bezierArcFactor(M_PI / 2), 4.0 / 3.0 * (std::sqrt(2.0) - 1.0), 1e-12);
    EXPECT_NEAR(bezierArcFactor(M_PI / 3), 4.0 / 3.0 * std::tan(M_PI / 12), 1e-12);
    EXPECT_EQ(bezierArcFactor(0), 0.0);

    // A full circle of radius 10 around (100, 200): four segments, ending where it began.
    std::string path;
    appendArc(path, 100, 200, 10, 10, 0, 360, true);
    EXPECT_EQ(path.rfind("110.0000 200.0000 m\r\n", 0), 0u);
    size_t segments = 0;
    for (size_t at = path.find(" c\r\n"); at != std::string::npos; at = path.find(" c\r\n", at + 1))
        ++segments;
    EXPECT_EQ(segments, 4u);
    EXPECT_NE(path.find("m\r\n110.0000 205.5228 105.5228 210.0000 100.0000 210.0000 c"),
              std::string::npos)
        << path;
    EXPECT_TRUE(path.ends_with("110.0000 200.0000 c\r\n")) << path;

    // A 100 degree arc takes two segments; a line leads to it when it continues a path.
    path.clear();
    appendArc(path, 0, 0, 1, 1, 0, 100, false);
    EXPECT_EQ(path.rfind("1.0000 0.0000 l\r\n", 0), 0u);
    EXPECT_EQ(std::count(path.begin(), path.end(), 'c'), 2);
}

TEST(PdfSyntax, ArcsWithoutAFiniteAngleWriteNothing) {
    for (const double angle : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        std::string path;
        appendArc(path, 0, 0, 1, 1, 0, angle, true);
        appendArc(path, 0, 0, 1, 1, angle, 90, true);
        EXPECT_EQ(path, std::string());
    }
}

TEST(PdfSyntax, EncodingsMapCharactersToTheirCodes) {
    const SingleByteEncoding& win = SingleByteEncoding::get(feWinAnsiEncoding);
    EXPECT_STREQ(win.pdfName(), "WinAnsiEncoding");
    EXPECT_EQ(win.fromUnicode(u'A'), 'A');
    EXPECT_EQ(win.fromUnicode(0x20AC), 0x80); // euro
    EXPECT_EQ(win.fromUnicode(0x00E9), 0xE9);
    EXPECT_EQ(win.fromUnicode(0x0141), -1); // Ł is not in WinAnsi
    EXPECT_EQ(win.fromUnicode(0x0416), -1); // nor Cyrillic
    EXPECT_EQ(win.toUnicode(0x81), 0);

    const SingleByteEncoding& mac = SingleByteEncoding::get(feMacRomanEncoding);
    EXPECT_EQ(mac.fromUnicode(0x00C4), 0x80);
    EXPECT_EQ(mac.fromUnicode(0x20AC), -1);
    const SingleByteEncoding& standard = SingleByteEncoding::get(feStandardEncoding);
    EXPECT_EQ(standard.fromUnicode(0x2019), 0x27);
    EXPECT_EQ(standard.fromUnicode(u'\''), 0xA9);
    EXPECT_EQ(standard.fromUnicode(0x0141), 0xE8);
    const SingleByteEncoding& doc = SingleByteEncoding::get(fePDFDocEncoding);
    EXPECT_EQ(doc.fromUnicode(0x20AC), 0xA0);
    EXPECT_EQ(doc.fromUnicode(0x2212), 0x8A);
    const SingleByteEncoding& expert = SingleByteEncoding::get(feMacExpertEncoding);
    EXPECT_EQ(expert.fromUnicode(u'7'), '7');
    EXPECT_EQ(expert.fromUnicode(u'a'), -1);
}
