#include "report/rtf.h"

#include "support/printers.h"

#include <QTextDocument>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

using report::rtfToHtml;

namespace {

QString plain(const QString& html) {
    return QTextDocumentFragment::fromHtml(html).toPlainText();
}

} // namespace

TEST(RtfReader, KeepsParagraphsAndCharacterFormats) {
    const QString html =
        rtfToHtml("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}"
                  "{\\colortbl ;\\red255\\green0\\blue0;}"
                  "{\\*\\generator Riched20 10.0;}\\viewkind4\\uc1"
                  "\\pard\\qc\\b\\fs28 Title\\b0\\par"
                  "\\pard\\i italic\\i0  and \\ul under\\ulnone  and \\cf1 red\\cf0\\par"
                  "}");
    EXPECT_EQ(plain(html), "Title\nitalic and under and red");
    EXPECT_TRUE(html.contains("align=\"center\""));
    EXPECT_TRUE(html.contains("font-weight:bold;font-size:14pt\">Title<"));
    // The font size set in the first paragraph goes on: \pard resets paragraphs only.
    EXPECT_TRUE(html.contains("font-style:italic;font-size:14pt\">italic<"));
    EXPECT_TRUE(html.contains("text-decoration:underline;font-size:14pt\">under<"));
    EXPECT_FALSE(html.contains("Arial")); // the font table is not text
    EXPECT_FALSE(html.contains("Riched"));
}

TEST(RtfReader, DecodesEscapes) {
    // \'e9 in Windows-1252, \'80 is the euro sign there; \u with its fallback character.
    const QString html = rtfToHtml("{\\rtf1 Caf\\'e9 \\'80 5 \\u8364? \\u-10179?\\u-8704? "
                                   "\\{braces\\} back\\\\slash\\line next}");
    EXPECT_EQ(plain(html),
              QString::fromUtf8("Café € 5 € \xF0\x9F\x98\x80 {braces} back\\slash\nnext"));
}

TEST(RtfReader, BadInputGivesWhatCouldBeRead) {
    EXPECT_EQ(plain(rtfToHtml("{\\rtf1 unclosed {\\b group")), "unclosed group");
    EXPECT_EQ(plain(rtfToHtml("{\\rtf1 stray }}} braces")).simplified(), "stray braces");
    EXPECT_EQ(plain(rtfToHtml("{\\rtf1 bad \\'zz hex and trailing \\")), "bad  hex and trailing ");
    EXPECT_EQ(plain(rtfToHtml("")), "");
    EXPECT_TRUE(report::isRtf(QByteArray("  {\\rtf1 x}")));
    EXPECT_FALSE(report::isRtf(QString("<p>html</p>")));
}
