#include "settings/richtextediting.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

#include <cmath>

using RichTextEditing::Indents;
namespace Ruler = RichTextEditing::Ruler;

namespace {

// What the ruler shows for indents, then where the indents come back when each marker is let
// go where it stands (pressed in its middle, not moved).
Indents releasedInPlace(const Indents& in, int width) {
    const int offset = Ruler::kMarkerWidth / 2;
    Indents out =
        Ruler::releaseFirstInd(in, Ruler::firstIndLeft(in), Ruler::leftIndLeft(in), offset);
    out = Ruler::releaseLeftInd(out, Ruler::leftIndLeft(in), offset);
    return Ruler::releaseRightInd(out, Ruler::rightIndLeft(in, width), offset, width);
}

} // namespace

TEST(RulerArithmetic, PlacesMarkersByFourThirdsOfAPixelPerPoint) {
    const Indents in{10, 20, 30};
    EXPECT_EQ(Ruler::firstIndLeft(in), 15);       // trunc(10 * 4/3) + 2
    EXPECT_EQ(Ruler::leftIndLeft(in), 42);        // trunc(30 * 4/3) + 2
    EXPECT_EQ(Ruler::rightIndLeft(in, 500), 446); // 500 - trunc(36 * 4/3) - 6
    // Released markers: (left + offset - 6) / (4/3), the right one from the ruler's end.
    EXPECT_EQ(Ruler::releaseLeftInd(in, 46, 5), Indents({10, 23, 30}));        // trunc(33.75) - 10
    EXPECT_EQ(Ruler::releaseRightInd(in, 442, 5, 500), Indents({10, 20, 33})); // trunc(45.75)-12
    EXPECT_EQ(Ruler::releaseRightInd(in, 448, 5, 500).right, 29);              // trunc(41.25) - 12
}

TEST(RulerArithmetic, AMarkerLetGoWhereItStandsKeepsItsIndent) {
    for (int first = 0; first <= 200; first += 7)
        for (int left = -first; left <= 120; left += 11)
            for (int right : {0, 1, 5, 17, 72}) {
                const Indents in{first, left, right};
                EXPECT_EQ(releasedInPlace(in, 640), in) << first << " " << left << " " << right;
            }
}

TEST(RulerArithmetic, DraggingTheFirstLineMarkerKeepsTheOtherLinesInPlace) {
    const Indents in{10, 20, 0}; // other lines at 30 points
    // FirstInd dragged 40 pixels to the right; LeftInd did not move.
    const Indents out =
        Ruler::releaseFirstInd(in, Ruler::firstIndLeft(in) + 40, Ruler::leftIndLeft(in), 5);
    EXPECT_EQ(out.first, 40);
    EXPECT_EQ(out.first + out.left, 30) << "the left marker keeps its place";
    EXPECT_EQ(Ruler::leftIndLeft(out), Ruler::leftIndLeft(in));
}

TEST(ParagraphIndents, SetAndReadBackInPointsAlsoInLists) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("plain"));
    c.insertBlock();
    c.insertText(QStringLiteral("bulleted"));
    QTextCursor plain(doc.begin());
    RichTextEditing::setIndents(plain, {12, 24, 9});
    EXPECT_EQ(RichTextEditing::indentsOf(doc.begin()), Indents({12, 24, 9}));
    // In pixels: other lines at 36 pt = 48 px, the first line 24 pt = 32 px before them.
    EXPECT_DOUBLE_EQ(doc.begin().blockFormat().leftMargin(), 48);
    EXPECT_DOUBLE_EQ(doc.begin().blockFormat().textIndent(), -32);
    EXPECT_DOUBLE_EQ(doc.begin().blockFormat().rightMargin(), 12);

    QTextCursor item(doc.begin().next());
    RichTextEditing::setBullets(item, true);
    ASSERT_TRUE(RichTextEditing::hasBullets(doc.begin().next()));
    // A list item's text starts one list indent (40 px = 30 pt) in.
    EXPECT_EQ(RichTextEditing::indentsOf(doc.begin().next()), Indents({30, 0, 0}));
    RichTextEditing::setIndents(item, {45, 0, 0});
    EXPECT_EQ(RichTextEditing::indentsOf(doc.begin().next()), Indents({45, 0, 0}));
    EXPECT_DOUBLE_EQ(doc.begin().next().blockFormat().leftMargin(), 20);
    RichTextEditing::setBullets(item, false);
    EXPECT_FALSE(RichTextEditing::hasBullets(doc.begin().next()));
    EXPECT_EQ(RichTextEditing::indentsOf(doc.begin().next()), Indents({15, 0, 0}))
        << "the paragraph's own margin stays";
}

TEST(ParagraphIndents, NoLineStartsLeftOfTheTextsEdge) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("text"));
    RichTextEditing::setIndents(c, {-10, 5, -3});
    EXPECT_EQ(RichTextEditing::indentsOf(doc.begin()), Indents({0, 5, 0}));
    RichTextEditing::setIndents(c, {10, -25, 0});
    EXPECT_EQ(RichTextEditing::indentsOf(doc.begin()), Indents({10, -10, 0}));
}

TEST(ParagraphFormats, AlignmentAndBulletsApplyToEveryParagraphOfTheSelection) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("one"));
    c.insertBlock();
    c.insertText(QStringLiteral("two"));
    c.insertBlock();
    c.insertText(QStringLiteral("three"));
    QTextCursor sel(&doc);
    sel.setPosition(1);
    sel.setPosition(doc.begin().next().position() + 1, QTextCursor::KeepAnchor);
    for (int tag : {1, 2, 0}) {
        RichTextEditing::setAlignment(sel, tag);
        EXPECT_EQ(RichTextEditing::alignmentTag(doc.begin()), tag);
        EXPECT_EQ(RichTextEditing::alignmentTag(doc.begin().next()), tag);
        EXPECT_EQ(RichTextEditing::alignmentTag(doc.lastBlock()), 0);
    }
    RichTextEditing::setBullets(sel, true);
    ASSERT_NE(doc.begin().textList(), nullptr);
    EXPECT_EQ(doc.begin().textList(), doc.begin().next().textList()) << "one list";
    EXPECT_EQ(doc.lastBlock().textList(), nullptr);
}

TEST(FontSize, OnlyWholeNumbersOfPointsAreTaken) {
    EXPECT_EQ(std::get<int>(RichTextEditing::fontSizeFrom(QStringLiteral("12"))), 12);
    EXPECT_EQ(std::get<QString>(RichTextEditing::fontSizeFrom(QString())),
              QStringLiteral("'' is not a valid integer value"));
    EXPECT_EQ(std::get<QString>(RichTextEditing::fontSizeFrom(QStringLiteral("10.5"))),
              QStringLiteral("'10.5' is not a valid integer value"));
    EXPECT_TRUE(std::holds_alternative<QString>(RichTextEditing::fontSizeFrom("0")));
    EXPECT_TRUE(std::holds_alternative<QString>(RichTextEditing::fontSizeFrom("1639")));
}
