#include "pdf/pdffonts.h"
#include "pdf/truetype.h"

#include <QPainterPath>

#include <gtest/gtest.h>

using namespace pdf;

namespace {

QRawFont arial() {
    return resolveRawFont(QStringLiteral("Arial"), false, false);
}

quint32 glyphOf(const QRawFont& font, QChar c) {
    const QList<quint32> glyphs = font.glyphIndexesForString(QString(c));
    return glyphs.isEmpty() ? 0 : glyphs.first();
}

quint32 bigEndian32(const QByteArray& d, qsizetype at) {
    return (quint32(quint8(d[at])) << 24) | (quint32(quint8(d[at + 1])) << 16) |
           (quint32(quint8(d[at + 2])) << 8) | quint8(d[at + 3]);
}

} // namespace

class TrueTypeFonts : public ::testing::Test {
protected:
    void SetUp() override {
        m_font = arial();
        if (!hasTrueTypeOutlines(m_font))
            GTEST_SKIP() << "no TrueType font for Arial (fonts-liberation2 missing)";
    }
    QRawFont m_font;
};

TEST_F(TrueTypeFonts, RebuiltProgramLoadsAndDrawsLikeTheOriginal) {
    const FontTables tables = readFontTables(m_font);
    const QByteArray program = assembleFont(tables);
    const QRawFont rebuilt(program, 1000);
    ASSERT_TRUE(rebuilt.isValid());
    for (const QChar c : QStringLiteral("AgŁΩЖ")) {
        EXPECT_EQ(glyphOf(rebuilt, c), glyphOf(m_font, c)) << int(c.unicode());
        EXPECT_EQ(rebuilt.pathForGlyph(glyphOf(rebuilt, c)).elementCount(),
                  m_font.pathForGlyph(glyphOf(m_font, c)).elementCount());
    }
    // The whole file sums to the magic number once the head adjustment is in.
    quint32 sum = 0;
    for (qsizetype at = 0; at + 4 <= program.size(); at += 4)
        sum += bigEndian32(program, at);
    EXPECT_EQ(sum, 0xB1B0AFBAu);
    EXPECT_EQ(program.size() % 4, 0);
    EXPECT_EQ(postScriptName(tables), "LiberationSans");
}

TEST_F(TrueTypeFonts, SubsetKeepsOnlyTheGlyphsDrawn) {
    FontTables tables = readFontTables(m_font);
    const QByteArray full = assembleFont(tables);
    const quint32 a = glyphOf(m_font, u'A');
    const quint32 b = glyphOf(m_font, u'B');
    ASSERT_TRUE(subsetGlyphs(tables, {a}));
    const QByteArray program = assembleFont(tables);
    EXPECT_LT(program.size(), full.size() / 2);
    const QRawFont subset(program, 1000);
    ASSERT_TRUE(subset.isValid());
    EXPECT_EQ(glyphOf(subset, u'B'), b); // numbering unchanged for CIDToGIDMap Identity
    EXPECT_GT(subset.pathForGlyph(a).elementCount(), 0);
    EXPECT_EQ(subset.pathForGlyph(b).elementCount(), 0);
}

TEST_F(TrueTypeFonts, SubsetKeepsThePartsOfCompositeGlyphs) {
    // Accented capitals are usually built from the letter and the accent.
    const FontTables original = readFontTables(m_font);
    const QByteArray& glyf = original.at("glyf");
    const QByteArray& loca = original.at("loca");
    const bool longOffsets = original.at("head")[51] != 0;
    auto offset = [&](quint32 g) {
        return longOffsets ? bigEndian32(loca, g * 4)
                           : ((quint32(quint8(loca[g * 2])) << 8) | quint8(loca[g * 2 + 1])) * 2;
    };
    quint32 composite = 0;
    for (const QChar c : QStringLiteral("ÅÄÖÉÑŁŻĄąęńó")) {
        const quint32 g = glyphOf(m_font, c);
        if (offset(g + 1) > offset(g) && qint8(glyf[offset(g)]) < 0) {
            composite = g;
            break;
        }
    }
    if (composite == 0)
        GTEST_SKIP() << "the font has no composite accented letters";
    FontTables tables = original;
    ASSERT_TRUE(subsetGlyphs(tables, {composite}));
    const QRawFont subset(assembleFont(tables), 1000);
    EXPECT_EQ(subset.pathForGlyph(composite).elementCount(),
              m_font.pathForGlyph(composite).elementCount());
}

TEST_F(TrueTypeFonts, DamagedTablesAreLeftAlone) {
    FontTables tables = readFontTables(m_font);
    tables["loca"].truncate(10);
    const FontTables before = tables;
    EXPECT_FALSE(subsetGlyphs(tables, {1, 2, 3}));
    EXPECT_EQ(tables, before);
    FontTables empty;
    EXPECT_FALSE(subsetGlyphs(empty, {1}));
    EXPECT_TRUE(postScriptName(empty).isEmpty());
}

TEST_F(TrueTypeFonts, CompactSubsetDrawsItsCharactersWithTheirWidthsAndNothingElse) {
    const FontTables tables = readFontTables(m_font);
    // Accented capitals are usually composite glyphs: their parts must come along, renumbered.
    const QString drawn = QString::fromUtf8("Total € 1.234,50 – ÅÄÖÉÑ Müller");
    std::map<char16_t, quint32> characters;
    for (const QChar c : drawn)
        characters.emplace(c.unicode(), glyphOf(m_font, c));
    const FontTables compact = compactSubset(tables, characters);
    ASSERT_FALSE(compact.empty());
    const QByteArray program = assembleFont(compact);
    EXPECT_LT(program.size(), assembleFont(tables).size() / 10);
    const QRawFont font(program, 1000);
    ASSERT_TRUE(font.isValid());
    EXPECT_EQ(font.fontTable("maxp").mid(4, 2).toHex(),
              QByteArray::number(qulonglong(font.fontTable("hmtx").size() / 4), 16)
                  .rightJustified(4, '0'));
    for (const QChar c : drawn) {
        const quint32 glyph = glyphOf(font, c);
        ASSERT_NE(glyph, 0u) << int(c.unicode());
        EXPECT_EQ(font.advancesForGlyphIndexes({glyph}, QRawFont::UseDesignMetrics).value(0),
                  m_font.advancesForGlyphIndexes({glyphOf(m_font, c)}, QRawFont::UseDesignMetrics)
                      .value(0))
            << int(c.unicode());
        EXPECT_EQ(font.pathForGlyph(glyph).elementCount(),
                  m_font.pathForGlyph(glyphOf(m_font, c)).elementCount())
            << int(c.unicode());
    }
    // Letters that were not drawn are not in the program.
    EXPECT_EQ(glyphOf(font, u'Q'), 0u);
    EXPECT_EQ(glyphOf(font, u'ß'), 0u);

    FontTables damaged = tables;
    damaged["hhea"].truncate(20);
    EXPECT_TRUE(compactSubset(damaged, characters).empty());
    damaged = tables;
    damaged["loca"].truncate(10);
    EXPECT_TRUE(compactSubset(damaged, characters).empty());
}

TEST_F(TrueTypeFonts, MetricsComeFromTheFontTables) {
    QRawFont font = m_font;
    font.setPixelSize(1000);
    const FontMetrics m = readFontMetrics(font, readFontTables(font));
    EXPECT_EQ(m.ascent, 905);
    EXPECT_EQ(m.descent, -212);
    EXPECT_GT(m.capHeight, 600);
    EXPECT_LT(m.bbox[0], 0);
    EXPECT_GT(m.bbox[3], m.ascent);
    EXPECT_LT(m.underlinePosition, 0);
    EXPECT_GT(m.strikeOutPosition, 0);
    EXPECT_FALSE(m.fixedPitch);
    EXPECT_FALSE(m.serif);
    EXPECT_EQ(m.italicAngle, 0);

    const QRawFont mono = resolveRawFont(QStringLiteral("Liberation Mono"), false, true);
    const FontMetrics monoMetrics = readFontMetrics(mono, readFontTables(mono));
    EXPECT_TRUE(monoMetrics.fixedPitch);
    EXPECT_TRUE(monoMetrics.italic);
    EXPECT_LT(monoMetrics.italicAngle, 0);
    const QRawFont serif = resolveRawFont(QStringLiteral("Liberation Serif"), true, false);
    EXPECT_TRUE(readFontMetrics(serif, readFontTables(serif)).serif);
}

TEST_F(TrueTypeFonts, CompositeTextFindsAFontForEveryScript) {
    const QString names = QString::fromUtf8("Łódź Żółć Ελένη Παπαδοπούλου Иван Петров");
    const QRawFont font = compositeRawFont(m_font, names, false, false);
    ASSERT_TRUE(font.isValid());
    for (const char32_t c : names.toUcs4())
        EXPECT_TRUE(font.supportsCharacter(uint(c))) << uint(c);

    // Text the item's font lacks goes to a fallback family that has it.
    const QString georgian = QString::fromUtf8("ქართული");
    const QRawFont other = compositeRawFont(m_font, georgian, false, false);
    if (other.isValid() && other.supportsCharacter(georgian.at(0))) {
        EXPECT_NE(other.familyName(), m_font.familyName());
    }
}

TEST(PdfFonts, InstalledNamesMatchWithoutRegardToCase) {
    EXPECT_EQ(installedFamily(QStringLiteral("liberation SANS")),
              QStringLiteral("Liberation Sans"));
    EXPECT_EQ(installedFamily(QStringLiteral("No Such Font")), QStringLiteral("No Such Font"));
}

TEST(PdfFonts, FontsWithoutTrueTypeOutlinesGetStandardNames) {
    const FontMetrics plain;
    EXPECT_EQ(standardFontName(QStringLiteral("Nimbus Sans"), plain, false, false), "Helvetica");
    EXPECT_EQ(standardFontName(QStringLiteral("Nimbus Sans"), plain, true, true),
              "Helvetica-BoldOblique");
    EXPECT_EQ(standardFontName(QStringLiteral("Nimbus Roman"), plain, false, false), "Times-Roman");
    EXPECT_EQ(standardFontName(QStringLiteral("Nimbus Roman"), plain, true, false), "Times-Bold");
    EXPECT_EQ(standardFontName(QStringLiteral("C059"), plain, false, true), "Times-Italic");
    EXPECT_EQ(standardFontName(QStringLiteral("Nimbus Mono PS"), plain, true, false),
              "Courier-Bold");
    EXPECT_EQ(standardFontName(QStringLiteral("Standard Symbols PS"), plain, false, false),
              "Symbol");
    EXPECT_EQ(standardFontName(QStringLiteral("D050000L"), plain, false, false), "ZapfDingbats");
    FontMetrics fixed;
    fixed.fixedPitch = true;
    EXPECT_EQ(standardFontName(QStringLiteral("Some Typewriter"), fixed, false, true),
              "Courier-Oblique");
    FontMetrics serif;
    serif.serif = true;
    EXPECT_EQ(standardFontName(QStringLiteral("Some Book Face"), serif, true, true),
              "Times-BoldItalic");
}

TEST(PdfFonts, ToUnicodeMapListsEveryGlyphWithItsText) {
    std::map<quint32, QString> glyphs;
    for (quint32 g = 1; g <= 150; ++g)
        glyphs.emplace(g, QString(QChar(char16_t(0x0400 + g))));
    glyphs.emplace(0x1234, QString::fromUtf8("\xF0\x9F\x98\x80"));
    const std::string cmap = toUnicodeCMap(glyphs);
    EXPECT_NE(cmap.find("100 beginbfchar"), std::string::npos); // blocks of at most 100
    EXPECT_NE(cmap.find("51 beginbfchar"), std::string::npos);
    EXPECT_NE(cmap.find("<0001> <0401>"), std::string::npos);
    EXPECT_NE(cmap.find("<1234> <D83DDE00>"), std::string::npos);
    EXPECT_NE(cmap.find("<0000> <FFFF>"), std::string::npos);
}
