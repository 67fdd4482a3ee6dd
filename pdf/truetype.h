#pragma once

#include <QByteArray>
#include <QRawFont>
#include <QSet>

#include <map>

// Reading and rebuilding TrueType font programs for embedding. Qt gives no file names of the
// fonts it uses, but it hands out every table of a font, so the program is rebuilt from its
// tables; that works for any TrueType font the font database resolves (Liberation, DejaVu, the
// faces of a collection file).
namespace pdf {

using FontTables = std::map<QByteArray, QByteArray>;

// Whether the font has TrueType outlines (a "glyf" table); only those can be embedded as a
// FontFile2 and drawn by glyph number.
bool hasTrueTypeOutlines(const QRawFont& font);

// The tables a PDF viewer uses to draw and map glyphs; missing optional tables are left out.
FontTables readFontTables(const QRawFont& font);

// Builds an sfnt file from tables: sorted table directory, 4-byte padding, checksums and the
// head table's checksum adjustment.
QByteArray assembleFont(FontTables tables);

// Keeps the outlines of the given glyphs, of glyph 0 and of every part of a composite glyph,
// and empties all other glyphs; glyph numbers stay as they are, so a CIDToGIDMap of Identity and
// the font's own character map keep working. Returns false when the tables are damaged; they
// are then left unchanged.
bool subsetGlyphs(FontTables& tables, const QSet<quint32>& glyphs);

// A compact subset for a font drawn through its character map (a simple font): glyph 0, the
// glyphs of `characters` and the parts of their composite glyphs, numbered anew from 0 in that
// order, with glyf, loca, hmtx, maxp and hhea to match and a character map (Windows Unicode,
// format 4) of just those characters. A PDF/A file embeds every font, and this keeps each one
// to the size of what it draws. Empty when the tables are damaged.
FontTables compactSubset(const FontTables& tables, const std::map<char16_t, quint32>& characters);

// The PostScript name from the name table (name 6), empty when there is none.
QByteArray postScriptName(const FontTables& tables);

// Metrics for a font descriptor and for drawing lines, in thousandths of the font size.
struct FontMetrics {
    int bbox[4] = {0, 0, 0, 0};
    int ascent = 0;
    int descent = 0; // negative below the baseline
    int capHeight = 0;
    int avgWidth = 0;
    int maxWidth = 0;
    int stemV = 80;
    int stemH = 50;
    double italicAngle = 0.0;
    bool fixedPitch = false;
    bool serif = false;
    bool italic = false;
    bool symbolic = false;
    int underlinePosition = -100;
    int underlineThickness = 50;
    int strikeOutPosition = 260;
};

// `font` must be set to a pixel size of 1000. Real values from the font's tables where it has
// them, otherwise from Qt's metrics.
FontMetrics readFontMetrics(const QRawFont& font, const FontTables& tables);

} // namespace pdf
