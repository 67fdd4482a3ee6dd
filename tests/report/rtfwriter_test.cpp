#include "report/rtf.h"
#include "report/rtfwriter.h"
#include "report/textlayout.h"
#include "report/units.h"

#include "support/printers.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

using report::documentToRtf;
using report::FontSpec;
using report::layoutRichText;
using report::rtfToHtml;
using report::TextBlock;
using report::TextRun;

namespace {

QTextCharFormat chars(const QString& family, double size, bool bold = false, bool italic = false,
                      bool underline = false, bool strike = false) {
    QTextCharFormat f;
    if (!family.isEmpty())
        f.setFontFamilies({family});
    if (size > 0)
        f.setFontPointSize(size);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    f.setFontUnderline(underline);
    f.setFontStrikeOut(strike);
    return f;
}

// A text with every attribute the free text toolbar and ruler set, built as the editor builds
// it: fonts and sizes, bold, italic, underline, strike-out (font dialog), the three alignments,
// bullets, first-line, left and right indents, an empty paragraph in a large font, a line
// break, and letters outside ASCII. The document's default font stands for the desktop's.
void buildSample(QTextDocument& doc) {
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    QTextCursor c(&doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centred);
    c.insertText(QStringLiteral("Terms of payment"), chars("Liberation Serif", 16, true));

    QTextBlockFormat indented;
    indented.setAlignment(Qt::AlignLeft);
    indented.setLeftMargin(40); // other lines at 30 pt
    indented.setTextIndent(-20);
    indented.setRightMargin(24);
    c.insertBlock(indented, QTextCharFormat());
    c.insertText(QStringLiteral("Plain text "), QTextCharFormat());
    c.insertText(QStringLiteral("bold "), chars(QString(), 0, true));
    c.insertText(QStringLiteral("italic "), chars(QString(), 0, false, true));
    c.insertText(QStringLiteral("underlined"), chars(QString(), 0, false, false, true));
    c.insertText(QStringLiteral(" struck "), chars(QString(), 0, false, false, false, true));
    c.insertText(QStringLiteral("large "), chars("Liberation Sans", 14));
    c.insertText(QStringLiteral("and all of them together in a long sentence that wraps "),
                 chars("Liberation Mono", 11, true, true, true));
    c.insertText(QStringLiteral("onto further lines, which start at the left indent."),
                 chars("Liberation Sans", 10));

    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right, chars("Liberation Sans", 10));
    c.insertText(QStringLiteral("Right  aligned"), chars("Liberation Sans", 10));

    QTextBlockFormat plainBlock;
    c.insertBlock(plainBlock, chars("Liberation Sans", 10));
    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    bullets.setIndent(1);
    c.createList(bullets);
    c.insertText(QStringLiteral("First point"), chars("Liberation Sans", 12));
    QTextBlockFormat secondItem = c.blockFormat();
    secondItem.setTextIndent(10);
    c.insertBlock(secondItem, chars("Liberation Sans", 12));
    c.insertText(QStringLiteral("Second point, indented"), chars("Liberation Serif", 10));

    c.insertBlock(QTextBlockFormat(), chars("Liberation Sans", 20)); // leaves the list
    if (QTextList* list = c.currentList())
        list->remove(c.block());
    c.insertBlock(QTextBlockFormat(), chars("Liberation Sans", 10));
    c.insertText(QString::fromUtf8("Caf\u00E9 \u20AC 5 \U0001F600 {braces} back\\slash"),
                 chars("DejaVu Sans", 10));
    c.insertText(QString(QChar::LineSeparator) + QStringLiteral("after the line break"),
                 chars("DejaVu Sans", 10));
}

void expectSameRuns(const TextBlock& editor, const TextBlock& printed) {
    ASSERT_EQ(editor.runs.size(), printed.runs.size());
    for (size_t i = 0; i < editor.runs.size(); ++i) {
        const TextRun& a = editor.runs[i];
        const TextRun& b = printed.runs[i];
        SCOPED_TRACE(a.text.toStdString());
        EXPECT_EQ(a.text, b.text);
        EXPECT_EQ(a.font, b.font) << a.font.describe().toStdString() << " / "
                                  << b.font.describe().toStdString();
        EXPECT_NEAR(a.origin.x(), b.origin.x(), 0.01);
        EXPECT_NEAR(a.origin.y(), b.origin.y(), 0.01);
        EXPECT_NEAR(a.width, b.width, 0.01);
    }
    EXPECT_NEAR(editor.height, printed.height, 0.01);
}

const TextRun* runWith(const TextBlock& block, const QString& text) {
    for (const TextRun& run : block.runs)
        if (run.text.contains(text))
            return &run;
    return nullptr;
}

constexpr double kWidth = 600; // the free text's default width on documents
constexpr double kUnitsPerPixel = report::kUnitsPerInch / 96.0;

} // namespace

TEST(RtfWriter, EveryAttributePrintsAsTheEditorShowsIt) {
    QTextDocument doc;
    buildSample(doc);
    const QString rtf = documentToRtf(doc);
    for (const QChar ch : rtf)
        ASSERT_LT(ch.unicode(), 0x80) << "RTF is 7-bit text";

    // The print layout's base font is not what the text is shown in: every run has its own.
    const FontSpec base{QStringLiteral("Arial"), 10};
    const TextBlock editor = layoutRichText(doc.toHtml(), base, kWidth);
    const TextBlock printed = layoutRichText(rtfToHtml(rtf.toLatin1()), base, kWidth);
    expectSameRuns(editor, printed);

    // And what both show is right, not only the same.
    const TextRun* title = runWith(printed, "Terms of payment");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->font, (FontSpec{QStringLiteral("Liberation Serif"), 16, true}));
    EXPECT_NEAR(title->origin.x(), (kWidth - title->width) / 2, 0.01) << "centred";

    const TextRun* plainRun = runWith(printed, "Plain text");
    ASSERT_NE(plainRun, nullptr);
    EXPECT_EQ(plainRun->font, (FontSpec{QStringLiteral("DejaVu Sans"), 9}))
        << "text without a font of its own keeps the editor's";
    EXPECT_NEAR(plainRun->origin.x(), 20 * kUnitsPerPixel, 0.01) << "first line indent";
    const TextRun* further = runWith(printed, "which start at");
    ASSERT_NE(further, nullptr);
    EXPECT_NEAR(further->origin.x(), 40 * kUnitsPerPixel, 0.01) << "left indent";
    for (const TextRun& run : printed.runs) {
        if (run.origin.y() > plainRun->origin.y() && run.origin.y() < further->origin.y() + 1) {
            EXPECT_LE(run.origin.x() + run.width, kWidth - 24 * kUnitsPerPixel + 0.01)
                << "right indent: " << run.text.toStdString();
        }
    }
    const TextRun* mono = runWith(printed, "together");
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(mono->font, (FontSpec{QStringLiteral("Liberation Mono"), 11, true, true, true}));
    const TextRun* struck = runWith(printed, "struck");
    ASSERT_NE(struck, nullptr);
    EXPECT_TRUE(struck->font.strikeOut);

    const TextRun* rightRun = runWith(printed, "Right  aligned");
    ASSERT_NE(rightRun, nullptr);
    EXPECT_NEAR(rightRun->origin.x() + rightRun->width, kWidth, 0.01);

    // Each list item has its bullet, one blank before its text.
    const TextRun* first = runWith(printed, "First point");
    const TextRun* second = runWith(printed, "Second point");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NEAR(first->origin.x(), 40 * kUnitsPerPixel, 0.01) << "one list indent in";
    EXPECT_NEAR(second->origin.x(), 50 * kUnitsPerPixel, 0.01);
    int bullets = 0;
    for (const TextRun& run : printed.runs) {
        if (run.text != QString(QChar(0x2022)))
            continue;
        ++bullets;
        const TextRun* item = std::abs(run.origin.y() - first->origin.y()) < 0.01 ? first : second;
        EXPECT_NEAR(run.origin.y(), item->origin.y(), 0.01);
        EXPECT_LT(run.origin.x() + run.width, item->origin.x());
        EXPECT_GT(run.origin.x(), 0);
    }
    EXPECT_EQ(bullets, 2);

    // The empty 20-point paragraph keeps its height: the next line is that much lower.
    const TextRun* cafe = runWith(printed, QString::fromUtf8("Caf\u00E9"));
    ASSERT_NE(cafe, nullptr);
    EXPECT_GT(cafe->origin.y() - second->origin.y(),
              report::lineHeight(FontSpec{QStringLiteral("Liberation Sans"), 20}));
    EXPECT_EQ(cafe->text.trimmed(),
              QString::fromUtf8("Caf\u00E9 \u20AC 5 \U0001F600 {braces} back\\slash"));
    const TextRun* afterBreak = runWith(printed, "after the line break");
    ASSERT_NE(afterBreak, nullptr);
    EXPECT_GT(afterBreak->origin.y(), cafe->origin.y()) << "the line break is kept";
}

TEST(RtfWriter, ReadingAndWritingAgainChangesNothing) {
    QTextDocument doc;
    buildSample(doc);
    const QString rtf = documentToRtf(doc);
    // The editor shows the stored text in a document with another default font.
    QTextDocument reloaded;
    reloaded.setDefaultFont(QFont(QStringLiteral("Liberation Serif"), 13));
    reloaded.setHtml(rtfToHtml(rtf.toLatin1()));
    EXPECT_EQ(documentToRtf(reloaded), rtf);
    EXPECT_EQ(reloaded.toPlainText(), doc.toPlainText());
}

TEST(RtfWriter, WritesNumberedListsAndEscapesFontNames) {
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Liberation Sans"), 10));
    QTextCursor c(&doc);
    QTextListFormat numbers;
    numbers.setStyle(QTextListFormat::ListDecimal);
    c.createList(numbers);
    c.insertText(QStringLiteral("one"), chars(QStringLiteral("Odd {Font}; Name\\"), 10));
    c.insertBlock();
    c.insertText(QStringLiteral("two"));
    const QString rtf = documentToRtf(doc);
    EXPECT_TRUE(rtf.contains("\\pnlvlbody")) << rtf.toStdString();
    QTextDocument back;
    back.setHtml(rtfToHtml(rtf.toLatin1()));
    ASSERT_EQ(back.blockCount(), 2);
    QTextList* list = back.begin().textList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->format().style(), QTextListFormat::ListDecimal);
    EXPECT_EQ(list->itemText(back.begin().next()), "2.");
    const TextBlock printed =
        layoutRichText(rtfToHtml(rtf.toLatin1()), FontSpec{QStringLiteral("Arial"), 10}, 300);
    EXPECT_NE(runWith(printed, "1."), nullptr) << "numbers print like bullets";
    // A font name cannot end the font table early or leak into the text.
    EXPECT_EQ(back.toPlainText(), "one\ntwo");
}

TEST(RtfWriter, AnEmptyDocumentIsOneEmptyParagraph) {
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Liberation Sans"), 10));
    const QString rtf = documentToRtf(doc);
    QTextDocument back;
    back.setHtml(rtfToHtml(rtf.toLatin1()));
    EXPECT_EQ(back.blockCount(), 1);
    EXPECT_TRUE(back.toPlainText().isEmpty());
}
