#pragma once

#include "pdfencodings.h"
#include "pdftypes.h"
#include "truetype.h"

#include <QHash>
#include <QRawFont>
#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <memory>
#include <set>

namespace pdf {

class ObjectWriter;

// One font of a document, named "/F<position>" in the shared resources. A simple font draws
// single-byte codes of its encoding; a composite font (Type 0 over a CIDFontType2, Identity-H)
// draws glyph numbers, for any text.
class DocumentFont {
public:
    enum Kind { Simple, Composite };

    Kind kind = Simple;
    QString name; // the requested family, after matching the installed names
    bool bold = false;
    bool italic = false;
    int charset = PdfCharset::Default;
    int position = 0;
    int objectNumber = 0;

    QRawFont raw; // at pixel size 1000, so that advances are thousandths of the font size
    FontTables tables;
    FontMetrics metrics;
    bool trueType = false;
    QByteArray baseName; // PostScript name (or standard font name), not escaped

    // Simple fonts: width of each code in thousandths, and the codes drawn.
    const SingleByteEncoding* encoding = nullptr;
    std::array<int, 256> widths{};
    std::array<bool, 256> usedCodes{};
    std::array<bool, 256> hasGlyph{}; // the font program draws the code's character

    // Composite fonts: glyph of a character (0 when the font has none), its width, and the
    // text each drawn glyph stands for (the ToUnicode map).
    quint32 glyphFor(char32_t character);
    int glyphWidth(quint32 glyph);
    std::set<quint32> usedGlyphs;
    std::map<quint32, QString> textOfGlyph;

private:
    QHash<char32_t, quint32> m_glyphCache;
    QHash<quint32, int> m_widthCache;
};

// The installed family whose name matches `name` without regard to case, or `name` itself.
QString installedFamily(const QString& name);

// The family a PDF/A file draws a requested family with: one whose TrueType program can be
// embedded. "Arial" and the standard names "Helvetica", "Times" and "Courier" (with their
// styles, "Times-Roman", "Courier New" and the like) become Liberation Sans, Serif and Mono;
// another family that is installed as TrueType stays; any other (a Type 1 or CFF font) becomes
// the Liberation font of its look. DejaVu stands in where Liberation is not installed.
QString archivalFamily(const QString& requested);

// The families searched, in this order, for a character the font of a text lacks: the
// fallback families first, then every other installed family.
const QStringList& fallbackSearchOrder();

// The font the font database gives for a family and style, at pixel size 1000.
QRawFont resolveRawFont(const QString& family, bool bold, bool italic);

// A TrueType font that has glyphs for all of `text`: the item's own font when it has, else the
// first of the fallback families (DejaVu Sans, Liberation Sans, ...) that does, else the one
// that covers most. Invalid when no TrueType font is available at all.
QRawFont compositeRawFont(const QRawFont& primary, const QString& text, bool bold, bool italic);

// One of the 14 standard names for a font that is not TrueType, by its look and name.
QByteArray standardFontName(const QString& family, const FontMetrics& metrics, bool bold,
                            bool italic);

std::unique_ptr<DocumentFont> makeSimpleFont(const QString& name, bool bold, bool italic,
                                             int charset, const QRawFont& raw,
                                             TgtFontEncoding encoding);
std::unique_ptr<DocumentFont> makeCompositeFont(const QString& name, bool bold, bool italic,
                                                int charset, const QRawFont& raw);

struct FontEmbedding {
    TgtEmbedTrueTypeFonts mode = etfNone;
    QStringList excluded;
    // PDF/A: every font is embedded (a subset unless etfFull), the exclusions do not count,
    // and each subset gets a tag of its own.
    bool archival = false;
};

// Writes the font's objects: the font, its descriptor and font program (and for a composite
// font the descendant font and the ToUnicode map).
void writeFont(ObjectWriter& writer, DocumentFont& font, const FontEmbedding& embedding);

// The ToUnicode character map of a composite font.
std::string toUnicodeCMap(const std::map<quint32, QString>& textOfGlyph);

} // namespace pdf
