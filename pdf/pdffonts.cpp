#include "pdffonts.h"

#include "objectwriter.h"
#include "pdfsyntax.h"

#include <QFontDatabase>

#include <cmath>

namespace pdf {

namespace {

const QStringList& installedFamilies() {
    static const QStringList families = QFontDatabase::families();
    return families;
}

// Families tried, in this order, for text the item's font cannot draw. DejaVu covers Latin,
// Greek and Cyrillic in full; Liberation nearly so.
const QStringList& fallbackFamilies() {
    static const QStringList families = {
        QStringLiteral("DejaVu Sans"),  QStringLiteral("Liberation Sans"),
        QStringLiteral("Noto Sans"),    QStringLiteral("FreeSans"),
        QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif")};
    return families;
}

int coverage(const QRawFont& font, const QString& text) {
    int covered = 0;
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x20 || font.supportsCharacter(uint(c)))
            ++covered;
    }
    return covered;
}

// A family name the way viewers look up fonts that are not embedded: without blanks, the style
// after a comma ("TimesNewRoman,BoldItalic").
QByteArray styledName(const QString& family, bool bold, bool italic) {
    QByteArray name = family.toUtf8();
    name.replace(' ', "");
    if (bold && italic)
        name += ",BoldItalic";
    else if (bold)
        name += ",Bold";
    else if (italic)
        name += ",Italic";
    return name;
}

void loadFontData(DocumentFont& font) {
    font.trueType = hasTrueTypeOutlines(font.raw);
    if (font.trueType)
        font.tables = readFontTables(font.raw);
    font.metrics = readFontMetrics(font.raw, font.tables);
}

bool isExcluded(const DocumentFont& font, const QStringList& excluded) {
    const QString family = font.raw.familyName();
    for (const QString& name : excluded) {
        const QString trimmed = name.trimmed();
        if (trimmed.compare(font.name, Qt::CaseInsensitive) == 0 ||
            trimmed.compare(family, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

std::string descriptorBody(const DocumentFont& font, const std::string& fontName, int flags,
                           int missingWidth, int fontFile) {
    const FontMetrics& m = font.metrics;
    std::string body = "/Type /FontDescriptor/FontName /" + fontName + "/Flags ";
    appendInteger(body, flags);
    char bbox[96];
    std::snprintf(bbox, sizeof bbox, "/FontBBox[%d %d %d %d]", m.bbox[0], m.bbox[1], m.bbox[2],
                  m.bbox[3]);
    body += bbox;
    const std::pair<const char*, int> values[] = {
        {"/Ascent ", m.ascent},     {"/Descent ", m.descent},   {"/CapHeight ", m.capHeight},
        {"/AvgWidth ", m.avgWidth}, {"/MaxWidth ", m.maxWidth}, {"/MissingWidth ", missingWidth},
        {"/StemH ", m.stemH},       {"/StemV ", m.stemV}};
    for (const auto& [key, value] : values) {
        body += key;
        appendInteger(body, value);
    }
    body += "/ItalicAngle ";
    appendInteger(body, std::lround(m.italicAngle));
    if (fontFile > 0) {
        body += "/FontFile2 ";
        appendReference(body, fontFile);
    }
    body += "\r\n";
    return body;
}

int descriptorFlags(const FontMetrics& m, bool italic) {
    int flags = m.symbolic ? 4 : 32;
    if (m.fixedPitch)
        flags |= 1;
    if (m.serif)
        flags |= 2;
    if (m.italic || italic)
        flags |= 64;
    return flags;
}

// The six letters and "+" before a subset's name. A PDF/A file gives each subset a tag of its
// own, so that two subsets of one font never share a name.
std::string subsetTag(const DocumentFont& font, const FontEmbedding& embedding) {
    if (!embedding.archival)
        return "WYOIAS+";
    std::string tag = "MRV";
    int rest = font.position;
    for (int i = 0; i < 3; ++i) {
        tag.insert(tag.begin() + 3, char('A' + rest % 26));
        rest /= 26;
    }
    return tag + '+';
}

void writeFontProgram(ObjectWriter& writer, int number, const DocumentFont& font,
                      const QSet<quint32>* glyphs) {
    FontTables tables = font.tables;
    if (glyphs)
        subsetGlyphs(tables, *glyphs);
    const QByteArray program = assembleFont(std::move(tables));
    std::string dictionary = "/Length1 ";
    appendInteger(dictionary, program.size());
    writer.writeStreamObject(number, dictionary,
                             std::string_view(program.constData(), size_t(program.size())));
}

void writeSimpleFont(ObjectWriter& writer, DocumentFont& font, const FontEmbedding& embedding) {
    const bool embed =
        font.trueType && (embedding.archival ||
                          (embedding.mode != etfNone && !isExcluded(font, embedding.excluded)));
    const bool subset = embed && embedding.mode != etfFull;
    // An embedded program is named by its own PostScript name. Otherwise the viewer looks the
    // font up by the name the document asked for: "Arial" finds Arial where it is installed,
    // and Liberation Sans, whose widths these are, where it is not.
    const QByteArray baseName =
        embed || !font.trueType ? font.baseName : styledName(font.name, font.bold, font.italic);
    const std::string name = (subset ? subsetTag(font, embedding) : "") + escapeName(baseName);
    const int descriptor = writer.allocate();
    const int fontFile = embed ? writer.allocate() : 0;

    std::string body = font.trueType ? "/Type /Font/Subtype /TrueType/Name /F"
                                     : "/Type /Font/Subtype /Type1/Name /F";
    appendInteger(body, font.position);
    body += "/BaseFont /" + name + (font.trueType ? " /Encoding /" : "/Encoding /");
    body += font.encoding->pdfName();
    body += "/FirstChar 32/LastChar 255/Widths [";
    for (int code = 32; code <= 255; ++code) {
        appendInteger(body, font.widths[size_t(code)]);
        body.push_back(code < 255 ? ' ' : ']');
    }
    body += "/FontDescriptor ";
    appendReference(body, descriptor);
    body += "\r\n";
    writer.writeObject(font.objectNumber, body);
    writer.writeObject(
        descriptor,
        descriptorBody(font, name, descriptorFlags(font.metrics, font.italic), 0, fontFile));
    if (embed && subset && embedding.archival) {
        // Every font of a PDF/A file is embedded: a compact program of just the characters
        // drawn, found through a character map of its own.
        std::map<char16_t, quint32> characters;
        for (int code = 32; code < 256; ++code) {
            if (!font.usedCodes[size_t(code)])
                continue;
            const char16_t c = font.encoding->toUnicode(static_cast<unsigned char>(code));
            const QList<quint32> glyph = font.raw.glyphIndexesForString(QString(QChar(c)));
            if (c != 0 && !glyph.isEmpty())
                characters.emplace(c, glyph.first());
        }
        FontTables compact = compactSubset(font.tables, characters);
        if (!compact.empty()) {
            const QByteArray program = assembleFont(std::move(compact));
            std::string dictionary = "/Length1 ";
            appendInteger(dictionary, program.size());
            writer.writeStreamObject(fontFile, dictionary,
                                     std::string_view(program.constData(), size_t(program.size())));
            return;
        }
    }
    if (embed) {
        QSet<quint32> glyphs;
        if (subset) {
            for (int code = 32; code < 256; ++code) {
                if (font.usedCodes[size_t(code)]) {
                    const QChar c(font.encoding->toUnicode(static_cast<unsigned char>(code)));
                    for (const quint32 glyph : font.raw.glyphIndexesForString(c))
                        glyphs.insert(glyph);
                }
            }
        }
        writeFontProgram(writer, fontFile, font, subset ? &glyphs : nullptr);
    }
}

void writeCompositeFont(ObjectWriter& writer, DocumentFont& font, const FontEmbedding& embedding) {
    const bool subset = embedding.mode != etfFull;
    const std::string name = (subset ? subsetTag(font, embedding) : "") + escapeName(font.baseName);
    const int cidFont = writer.allocate();
    const int descriptor = writer.allocate();
    const int fontFile = writer.allocate();
    const int toUnicode = writer.allocate();

    std::string body =
        "/Type/Font/Subtype/Type0/BaseFont /" + name + "/Encoding /Identity-H/DescendantFonts [";
    appendReference(body, cidFont);
    body += "]/ToUnicode ";
    appendReference(body, toUnicode);
    body += "\r\n";
    writer.writeObject(font.objectNumber, body);

    body = "/Type/Font/Subtype/CIDFontType2/BaseFont /" + name + "/CIDSystemInfo <</Registry" +
           writer.stringToken(cidFont, "Adobe", true) + "/Ordering" +
           writer.stringToken(cidFont, "Identity", true) + "/Supplement 0>>/FontDescriptor ";
    appendReference(body, descriptor);
    body += "/CIDToGIDMap/Identity/DW 1000/W [";
    quint32 previous = 0;
    bool open = false;
    for (const quint32 glyph : font.usedGlyphs) {
        if (!open || glyph != previous + 1) {
            if (open)
                body += "] ";
            appendInteger(body, glyph);
            body += " [";
            open = true;
        } else {
            body.push_back(' ');
        }
        appendInteger(body, font.glyphWidth(glyph));
        previous = glyph;
    }
    if (open)
        body += "]";
    body += "]\r\n";
    writer.writeObject(cidFont, body);

    writer.writeObject(descriptor, descriptorBody(font, name, 4 | (font.italic ? 64 : 0),
                                                  font.glyphWidth(0), fontFile));
    QSet<quint32> glyphs(font.usedGlyphs.begin(), font.usedGlyphs.end());
    writeFontProgram(writer, fontFile, font, subset ? &glyphs : nullptr);
    writer.writeStreamObject(toUnicode, {}, toUnicodeCMap(font.textOfGlyph));
}

} // namespace

quint32 DocumentFont::glyphFor(char32_t character) {
    const auto it = m_glyphCache.constFind(character);
    if (it != m_glyphCache.constEnd())
        return it.value();
    const QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUcs4(&character, 1));
    const quint32 glyph = glyphs.isEmpty() ? 0 : glyphs.first();
    m_glyphCache.insert(character, glyph);
    return glyph;
}

int DocumentFont::glyphWidth(quint32 glyph) {
    const auto it = m_widthCache.constFind(glyph);
    if (it != m_widthCache.constEnd())
        return it.value();
    const auto advances =
        raw.advancesForGlyphIndexes(QList<quint32>{glyph}, QRawFont::UseDesignMetrics);
    const int width = advances.isEmpty() ? 0 : int(std::lround(advances.first().x()));
    m_widthCache.insert(glyph, width);
    return width;
}

QString installedFamily(const QString& name) {
    for (const QString& family : installedFamilies()) {
        if (family.compare(name, Qt::CaseInsensitive) == 0)
            return family;
    }
    return name;
}

QString archivalFamily(const QString& requested) {
    enum Look { Sans, Serif, Mono };
    auto installed = [](Look look) {
        static const char* const kLiberation[] = {"Liberation Sans", "Liberation Serif",
                                                  "Liberation Mono"};
        static const char* const kDejaVu[] = {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"};
        const QString liberation = QLatin1String(kLiberation[look]);
        return installedFamilies().contains(liberation) ? liberation
                                                        : QString::fromLatin1(kDejaVu[look]);
    };
    // The name without a style ("Helvetica-BoldOblique", "Courier,Bold") and without blanks.
    QString base = requested.trimmed().toLower();
    base.truncate(std::min(base.indexOf(u'-') < 0 ? base.size() : base.indexOf(u'-'),
                           base.indexOf(u',') < 0 ? base.size() : base.indexOf(u',')));
    base.remove(u' ');
    if (base == QLatin1String("arial") || base == QLatin1String("helvetica") ||
        base == QLatin1String("arialmt"))
        return installed(Sans);
    if (base == QLatin1String("times") || base == QLatin1String("timesnewroman") ||
        base == QLatin1String("timesnewromanps"))
        return installed(Serif);
    if (base == QLatin1String("courier") || base == QLatin1String("couriernew"))
        return installed(Mono);

    const QString family = installedFamily(requested);
    const QRawFont raw = resolveRawFont(family, false, false);
    if (hasTrueTypeOutlines(raw))
        return family;
    const QByteArray standard =
        standardFontName(raw.isValid() ? raw.familyName() : family,
                         raw.isValid() ? readFontMetrics(raw, {}) : FontMetrics(), false, false);
    if (standard.startsWith("Courier"))
        return installed(Mono);
    if (standard.startsWith("Times"))
        return installed(Serif);
    return installed(Sans);
}

const QStringList& fallbackSearchOrder() {
    static const QStringList order = [] {
        QStringList families;
        for (const QString& family : fallbackFamilies()) {
            if (installedFamilies().contains(family))
                families << family;
        }
        for (const QString& family : installedFamilies()) {
            if (!families.contains(family))
                families << family;
        }
        return families;
    }();
    return order;
}

QRawFont resolveRawFont(const QString& family, bool bold, bool italic) {
    QFont font(family);
    font.setBold(bold);
    font.setItalic(italic);
    font.setPixelSize(1000);
    QRawFont raw = QRawFont::fromFont(font);
    raw.setPixelSize(1000);
    return raw;
}

QRawFont compositeRawFont(const QRawFont& primary, const QString& text, bool bold, bool italic) {
    const int needed = int(text.toUcs4().size());
    QRawFont best;
    int bestCoverage = -1;
    auto consider = [&](const QRawFont& candidate) {
        if (!hasTrueTypeOutlines(candidate))
            return false;
        const int covered = coverage(candidate, text);
        if (covered > bestCoverage) {
            best = candidate;
            bestCoverage = covered;
        }
        return covered == needed;
    };
    if (consider(primary))
        return primary;
    for (const QString& family : fallbackFamilies()) {
        if (!installedFamilies().contains(family))
            continue;
        if (consider(resolveRawFont(family, bold, italic)))
            return best;
    }
    return best;
}

QByteArray standardFontName(const QString& family, const FontMetrics& metrics, bool bold,
                            bool italic) {
    const QString f = family.toLower();
    if (f.contains(QLatin1String("dingbat")) || f == QLatin1String("d050000l"))
        return "ZapfDingbats";
    if (metrics.symbolic || f.contains(QLatin1String("symbol")))
        return "Symbol";
    const bool slanted = italic || metrics.italic;
    const bool mono = metrics.fixedPitch || f.contains(QLatin1String("mono")) ||
                      f.contains(QLatin1String("courier"));
    const bool serif =
        !f.contains(QLatin1String("sans")) &&
        (metrics.serif || f.contains(QLatin1String("times")) ||
         f.contains(QLatin1String("roman")) || f.contains(QLatin1String("serif")) ||
         f.contains(QLatin1String("c059")) || f.contains(QLatin1String("p052")) ||
         f.contains(QLatin1String("bookman")) || f.contains(QLatin1String("schoolbook")));
    if (mono)
        return QByteArray("Courier") + (bold && slanted ? "-BoldOblique"
                                        : bold          ? "-Bold"
                                        : slanted       ? "-Oblique"
                                                        : "");
    if (serif)
        return QByteArray("Times-") + (bold && slanted ? "BoldItalic"
                                       : bold          ? "Bold"
                                       : slanted       ? "Italic"
                                                       : "Roman");
    return QByteArray("Helvetica") + (bold && slanted ? "-BoldOblique"
                                      : bold          ? "-Bold"
                                      : slanted       ? "-Oblique"
                                                      : "");
}

namespace {

// The parts every document font has: identity, the font data and its PostScript name.
std::unique_ptr<DocumentFont> newFont(DocumentFont::Kind kind, const QString& name, bool bold,
                                      bool italic, int charset, const QRawFont& raw) {
    auto font = std::make_unique<DocumentFont>();
    font->kind = kind;
    font->name = name;
    font->bold = bold;
    font->italic = italic;
    font->charset = charset;
    font->raw = raw;
    loadFontData(*font);
    if (font->trueType)
        font->baseName = postScriptName(font->tables);
    if (font->baseName.isEmpty())
        font->baseName = styledName(raw.familyName(), bold, italic);
    return font;
}

} // namespace

std::unique_ptr<DocumentFont> makeSimpleFont(const QString& name, bool bold, bool italic,
                                             int charset, const QRawFont& raw,
                                             TgtFontEncoding encoding) {
    auto font = newFont(DocumentFont::Simple, name, bold, italic, charset, raw);
    font->encoding = &SingleByteEncoding::get(encoding);
    if (!font->trueType)
        font->baseName = standardFontName(raw.familyName(), font->metrics, bold, italic);

    QChar chars[224];
    for (int code = 32; code < 256; ++code) {
        const char16_t u = font->encoding->toUnicode(static_cast<unsigned char>(code));
        chars[code - 32] = QChar(u != 0 ? u : u' ');
    }
    quint32 glyphs[224] = {};
    int count = 224;
    if (raw.glyphIndexesForChars(chars, 224, glyphs, &count) && count == 224) {
        const QList<quint32> list(glyphs, glyphs + 224);
        const auto advances = raw.advancesForGlyphIndexes(list, QRawFont::UseDesignMetrics);
        for (int code = 32; code < 256 && code - 32 < advances.size(); ++code) {
            if (font->encoding->toUnicode(static_cast<unsigned char>(code)) != 0) {
                font->widths[size_t(code)] = int(std::lround(advances[code - 32].x()));
                font->hasGlyph[size_t(code)] = glyphs[code - 32] != 0;
            }
        }
    }
    return font;
}

std::unique_ptr<DocumentFont> makeCompositeFont(const QString& name, bool bold, bool italic,
                                                int charset, const QRawFont& raw) {
    return newFont(DocumentFont::Composite, name, bold, italic, charset, raw);
}

void writeFont(ObjectWriter& writer, DocumentFont& font, const FontEmbedding& embedding) {
    if (font.kind == DocumentFont::Composite)
        writeCompositeFont(writer, font, embedding);
    else
        writeSimpleFont(writer, font, embedding);
}

std::string toUnicodeCMap(const std::map<quint32, QString>& textOfGlyph) {
    std::string cmap = "/CIDInit /ProcSet findresource begin\n"
                       "12 dict begin\n"
                       "begincmap\n"
                       "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                       "/CMapName /Adobe-Identity-UCS def\n"
                       "/CMapType 2 def\n"
                       "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    auto it = textOfGlyph.begin();
    while (it != textOfGlyph.end()) {
        std::string block;
        int count = 0;
        for (; it != textOfGlyph.end() && count < 100; ++it, ++count) {
            char code[16];
            std::snprintf(code, sizeof code, "<%04X> <", it->first & 0xFFFF);
            block += code;
            block += toHex(utf16beWithMark(it->second).mid(2));
            block += ">\n";
        }
        cmap += std::to_string(count) + " beginbfchar\n" + block + "endbfchar\n";
    }
    cmap += "endcmap\n"
            "CMapName currentdict /CMap defineresource pop\n"
            "end\n"
            "end\n";
    return cmap;
}

} // namespace pdf
