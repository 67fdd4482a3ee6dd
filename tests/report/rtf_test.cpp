#include "report/rtf.h"

#include "support/printers.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextList>

#include <memory>

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

namespace {

// The document Qt makes of the reader's rich text, as the editor and the print layout see it.
std::unique_ptr<QTextDocument> read(const QByteArray& rtf) {
    auto doc = std::make_unique<QTextDocument>();
    doc->setHtml(rtfToHtml(rtf));
    return doc;
}

QTextBlock blockAt(const QTextDocument& doc, int index) {
    QTextBlock b = doc.begin();
    for (int i = 0; i < index && b.isValid(); ++i)
        b = b.next();
    return b;
}

QString familyOf(const QTextBlock& b) {
    const QTextCharFormat f = b.begin().fragment().charFormat();
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

} // namespace

TEST(RtfReader, ReadsFontsIndentsAndBulletsAsAnEditorWritesThem) {
    // Bullets as RichEdit writes them: \pntext is the marker shown by readers without
    // numbering, {\*\pn} the numbering itself; paragraph properties last until \pard.
    const auto doc = read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                          "{\\f1\\fnil\\fcharset2 Symbol;}"
                          "{\\f2\\froman Times New Roman{\\*\\falt Times};}}"
                          "\\viewkind4\\uc1\\pard\\f0\\fs20 Plain\\par"
                          "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0"
                          "{\\pntxtb\\'B7}}\\fi-360\\li720 one\\par"
                          "{\\pntext\\f1\\'B7\\tab}two\\par"
                          "\\pard\\li1440\\ri720\\fi300\\f2\\strike moved\\par}");
    ASSERT_EQ(doc->blockCount(), 4);
    EXPECT_EQ(doc->toPlainText(), "Plain\none\ntwo\nmoved");

    const QTextBlock plainBlock = blockAt(*doc, 0);
    EXPECT_EQ(plainBlock.textList(), nullptr);
    EXPECT_EQ(familyOf(plainBlock), "Arial");
    EXPECT_EQ(plainBlock.blockFormat().leftMargin(), 0);

    const QTextBlock one = blockAt(*doc, 1), two = blockAt(*doc, 2);
    ASSERT_NE(one.textList(), nullptr);
    EXPECT_EQ(one.textList(), two.textList()) << "one list, not a list per paragraph";
    EXPECT_EQ(one.textList()->format().style(), QTextListFormat::ListDisc);
    // \li720 is where the text starts (48 px): one list indent of 40 px plus 8 px of margin.
    EXPECT_DOUBLE_EQ(one.blockFormat().leftMargin(), 8);
    EXPECT_DOUBLE_EQ(one.blockFormat().textIndent(), -24);
    EXPECT_DOUBLE_EQ(two.blockFormat().textIndent(), -24) << "kept until \\pard";

    const QTextBlock moved = blockAt(*doc, 3);
    EXPECT_EQ(moved.textList(), nullptr);
    EXPECT_DOUBLE_EQ(moved.blockFormat().leftMargin(), 96);
    EXPECT_DOUBLE_EQ(moved.blockFormat().rightMargin(), 48);
    EXPECT_DOUBLE_EQ(moved.blockFormat().textIndent(), 20);
    EXPECT_EQ(familyOf(moved), "Times New Roman") << "the alternative name is not part of it";
    EXPECT_TRUE(moved.begin().fragment().charFormat().fontStrikeOut());
}

TEST(RtfReader, ReadsWordListsEmptyParagraphsAndBlanks) {
    // Word marks list paragraphs with \ls and writes the marker in \listtext.
    const auto list = read("{\\rtf1{\\*\\listtable{\\list\\listtemplateid1{\\listlevel"
                           "{\\leveltext\\'01\\u-3913 ?;}}}}"
                           "{\\listtext\\pard\\plain\\f3 \\'b7\\tab}\\pard\\ls1\\ilvl0 item\\par"
                           "\\pard after\\par}");
    EXPECT_EQ(list->toPlainText(), "item\nafter");
    EXPECT_NE(blockAt(*list, 0).textList(), nullptr);
    EXPECT_EQ(blockAt(*list, 1).textList(), nullptr);

    // An empty paragraph is as high as its font, and a paragraph keeps its blanks.
    const auto doc = read("{\\rtf1\\fs40\\b\\par\\b0\\fs20   lead  double trail \\par}");
    ASSERT_EQ(doc->blockCount(), 2);
    EXPECT_TRUE(blockAt(*doc, 0).text().isEmpty());
    EXPECT_EQ(blockAt(*doc, 0).charFormat().fontPointSize(), 20);
    EXPECT_EQ(blockAt(*doc, 1).text(), "  lead  double trail ");
}

TEST(RtfReader, BadFontTablesAndReferencesGiveTheElementsFont) {
    // A font table cut short, a reference to a font that is not in it, and an unclosed table.
    const auto doc = read("{\\rtf1{\\fonttbl{\\f0 Ari}}\\f0 a\\f7 b}");
    EXPECT_EQ(doc->toPlainText(), "ab");
    EXPECT_EQ(familyOf(blockAt(*doc, 0)), "Ari");
    QTextBlock::iterator it = blockAt(*doc, 0).begin();
    ++it;
    ASSERT_FALSE(it.atEnd());
    EXPECT_FALSE(it.fragment().charFormat().hasProperty(QTextFormat::FontFamilies));
    EXPECT_EQ(plain(rtfToHtml("{\\rtf1{\\fonttbl{\\f0 Arial;")), "");
    EXPECT_EQ(plain(rtfToHtml("{\\rtf1{\\*\\pn\\pnlvlblt{\\pntxtb\\'B7}}x\\par}")), "x");
}
