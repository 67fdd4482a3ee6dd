#include "truetype.h"

#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <vector>

namespace pdf {

namespace {

quint16 u16(const QByteArray& d, qsizetype at) {
    if (at < 0 || at + 2 > d.size())
        return 0;
    return quint16((static_cast<unsigned char>(d.at(at)) << 8) |
                   static_cast<unsigned char>(d.at(at + 1)));
}

quint32 u32(const QByteArray& d, qsizetype at) {
    if (at < 0 || at + 4 > d.size())
        return 0;
    return (quint32(u16(d, at)) << 16) | u16(d, at + 2);
}

qint16 s16(const QByteArray& d, qsizetype at) {
    return qint16(u16(d, at));
}

void put16(QByteArray& d, qsizetype at, quint16 v) {
    d[at] = char(v >> 8);
    d[at + 1] = char(v & 0xFF);
}

void put32(QByteArray& d, qsizetype at, quint32 v) {
    d[at] = char(v >> 24);
    d[at + 1] = char((v >> 16) & 0xFF);
    d[at + 2] = char((v >> 8) & 0xFF);
    d[at + 3] = char(v & 0xFF);
}

void append32(QByteArray& d, quint32 v) {
    const char b[4] = {char(v >> 24), char((v >> 16) & 0xFF), char((v >> 8) & 0xFF),
                       char(v & 0xFF)};
    d.append(b, 4);
}

void append16(QByteArray& d, quint16 v) {
    const char b[2] = {char(v >> 8), char(v & 0xFF)};
    d.append(b, 2);
}

quint32 checksum(const QByteArray& data) {
    quint32 sum = 0;
    const qsizetype words = (data.size() + 3) / 4;
    for (qsizetype i = 0; i < words; ++i) {
        quint32 word = 0;
        for (int b = 0; b < 4; ++b) {
            const qsizetype at = i * 4 + b;
            word = (word << 8) | (at < data.size() ? static_cast<unsigned char>(data[at]) : 0u);
        }
        sum += word;
    }
    return sum;
}

int scaled(double value, double unitsPerEm) {
    return int(std::lround(value * 1000.0 / unitsPerEm));
}

} // namespace

bool hasTrueTypeOutlines(const QRawFont& font) {
    return font.isValid() && !font.fontTable("glyf").isEmpty() && !font.fontTable("loca").isEmpty();
}

FontTables readFontTables(const QRawFont& font) {
    static const char* const kTags[] = {"head", "hhea", "maxp", "OS/2", "hmtx", "cmap", "fpgm",
                                        "prep", "cvt ", "loca", "glyf", "name", "post", "gasp"};
    FontTables tables;
    for (const char* tag : kTags) {
        QByteArray data = font.fontTable(tag);
        if (!data.isEmpty())
            tables.emplace(QByteArray(tag), std::move(data));
    }
    // Glyph names are of no use to a viewer and are a large part of many fonts.
    if (auto post = tables.find("post"); post != tables.end() && post->second.size() >= 32) {
        post->second.truncate(32);
        put32(post->second, 0, 0x00030000);
    }
    return tables;
}

QByteArray assembleFont(FontTables tables) {
    const auto head = tables.find("head");
    if (head != tables.end() && head->second.size() >= 12)
        put32(head->second, 8, 0);

    const auto numTables = quint16(tables.size());
    quint16 entrySelector = 0;
    while ((2u << entrySelector) <= numTables)
        ++entrySelector;
    const quint16 searchRange = quint16(16u << entrySelector);

    QByteArray font;
    append32(font, 0x00010000);
    append16(font, numTables);
    append16(font, searchRange);
    append16(font, entrySelector);
    append16(font, quint16(numTables * 16 - searchRange));

    quint32 offset = 12 + 16u * numTables;
    qsizetype headOffset = -1;
    for (const auto& [tag, data] : tables) { // std::map keeps the tags sorted, as required
        font.append(tag.left(4).leftJustified(4, ' '));
        append32(font, checksum(data));
        append32(font, offset);
        append32(font, quint32(data.size()));
        if (tag == "head")
            headOffset = offset;
        offset += quint32((data.size() + 3) & ~qsizetype(3));
    }
    for (const auto& [tag, data] : tables) {
        font.append(data);
        font.append(QByteArray((4 - data.size() % 4) % 4, '\0'));
    }
    if (headOffset >= 0 && headOffset + 12 <= font.size())
        put32(font, headOffset + 8, 0xB1B0AFBAu - checksum(font));
    return font;
}

namespace {

// Where each glyph starts in glyf, and where the last one ends; false for damaged tables.
bool glyphOffsets(const FontTables& tables, std::vector<quint32>* offsets) {
    const auto head = tables.find("head");
    const auto maxp = tables.find("maxp");
    const auto loca = tables.find("loca");
    const auto glyf = tables.find("glyf");
    if (head == tables.end() || maxp == tables.end() || loca == tables.end() ||
        glyf == tables.end() || head->second.size() < 54 || maxp->second.size() < 6)
        return false;
    const int numGlyphs = u16(maxp->second, 4);
    const bool longOffsets = s16(head->second, 50) != 0;
    const QByteArray& locaData = loca->second;
    if (locaData.size() < qsizetype(numGlyphs + 1) * (longOffsets ? 4 : 2))
        return false;
    offsets->assign(size_t(numGlyphs) + 1, 0);
    for (int g = 0; g <= numGlyphs; ++g) {
        (*offsets)[size_t(g)] =
            longOffsets ? u32(locaData, g * 4) : quint32(u16(locaData, g * 2)) * 2;
        if ((*offsets)[size_t(g)] > quint32(glyf->second.size()) ||
            (g > 0 && (*offsets)[size_t(g)] < (*offsets)[size_t(g - 1)]))
            return false;
    }
    return true;
}

// Calls `part(position)` with the position of each component's glyph number in a composite
// glyph's data; nothing for a simple glyph.
template <typename Part>
void forEachComponent(const QByteArray& glyph, Part part) {
    if (glyph.size() < 10 || s16(glyph, 0) >= 0)
        return;
    qsizetype pos = 10;
    quint16 flags = 0;
    do {
        if (pos + 4 > glyph.size())
            return;
        flags = u16(glyph, pos);
        part(pos + 2);
        pos += 4 + ((flags & 0x0001) ? 4 : 2);
        if (flags & 0x0008)
            pos += 2;
        else if (flags & 0x0040)
            pos += 4;
        else if (flags & 0x0080)
            pos += 8;
    } while (flags & 0x0020);
}

// A Windows Unicode character map (platform 3, encoding 1) of format 4.
QByteArray unicodeCmap(const std::map<char16_t, quint32>& glyphOf) {
    struct Segment {
        quint16 start, end;
        quint16 delta;
    };
    std::vector<Segment> segments;
    for (const auto& [c, glyph] : glyphOf) {
        const auto delta = quint16(glyph - c);
        if (!segments.empty() && segments.back().end + 1 == c && segments.back().delta == delta)
            segments.back().end = c;
        else
            segments.push_back({c, c, delta});
    }
    if (segments.empty() || segments.back().end != 0xFFFF)
        segments.push_back({0xFFFF, 0xFFFF, 1});
    const auto count = quint16(segments.size());
    quint16 searchRange = 2, entrySelector = 0;
    while (searchRange * 2 <= count * 2) {
        searchRange *= 2;
        ++entrySelector;
    }
    QByteArray cmap;
    append16(cmap, 0); // version
    append16(cmap, 1); // one subtable
    append16(cmap, 3);
    append16(cmap, 1);
    append32(cmap, 12);
    append16(cmap, 4);
    append16(cmap, quint16(16 + 8 * count));
    append16(cmap, 0); // language
    append16(cmap, quint16(count * 2));
    append16(cmap, searchRange);
    append16(cmap, entrySelector);
    append16(cmap, quint16(count * 2 - searchRange));
    for (const Segment& segment : segments)
        append16(cmap, segment.end);
    append16(cmap, 0);
    for (const Segment& segment : segments)
        append16(cmap, segment.start);
    for (const Segment& segment : segments)
        append16(cmap, segment.delta);
    for (quint16 i = 0; i < count; ++i)
        append16(cmap, 0); // no range offsets: every glyph is character + delta
    return cmap;
}

} // namespace

bool subsetGlyphs(FontTables& tables, const QSet<quint32>& glyphs) {
    std::vector<quint32> offsets;
    if (!glyphOffsets(tables, &offsets))
        return false;
    const int numGlyphs = int(offsets.size() - 1);
    const auto head = tables.find("head");
    const auto loca = tables.find("loca");
    const auto glyf = tables.find("glyf");
    const QByteArray& glyfData = glyf->second;

    std::vector<bool> keep(size_t(numGlyphs), false);
    std::vector<quint32> pending{0};
    for (const quint32 g : glyphs)
        pending.push_back(g);
    while (!pending.empty()) {
        const quint32 g = pending.back();
        pending.pop_back();
        if (g >= quint32(numGlyphs) || keep[g])
            continue;
        keep[g] = true;
        // A composite glyph: its parts are drawn from other glyphs, which must stay.
        const QByteArray glyph = glyfData.mid(offsets[g], offsets[g + 1] - offsets[g]);
        forEachComponent(glyph, [&](qsizetype at) { pending.push_back(u16(glyph, at)); });
    }

    QByteArray newGlyf;
    QByteArray newLoca;
    newLoca.reserve((numGlyphs + 1) * 4);
    for (int g = 0; g < numGlyphs; ++g) {
        append32(newLoca, quint32(newGlyf.size()));
        if (keep[size_t(g)]) {
            newGlyf.append(
                glyfData.mid(offsets[size_t(g)], offsets[size_t(g) + 1] - offsets[size_t(g)]));
            newGlyf.append(QByteArray((4 - newGlyf.size() % 4) % 4, '\0'));
        }
    }
    append32(newLoca, quint32(newGlyf.size()));
    glyf->second = newGlyf;
    loca->second = newLoca;
    put16(head->second, 50, 1);
    return true;
}

FontTables compactSubset(const FontTables& tables, const std::map<char16_t, quint32>& characters) {
    std::vector<quint32> offsets;
    if (!glyphOffsets(tables, &offsets))
        return {};
    const auto hhea = tables.find("hhea");
    const auto hmtx = tables.find("hmtx");
    if (hhea == tables.end() || hmtx == tables.end() || hhea->second.size() < 36)
        return {};
    const auto numGlyphs = quint32(offsets.size() - 1);
    const quint32 metrics = u16(hhea->second, 34);
    const QByteArray& hmtxData = hmtx->second;
    if (metrics == 0 || metrics > numGlyphs ||
        hmtxData.size() < qsizetype(metrics * 4 + (numGlyphs - metrics) * 2))
        return {};
    const QByteArray& glyfData = tables.at("glyf");
    auto glyphData = [&](quint32 g) {
        return glyfData.mid(offsets[g], offsets[g + 1] - offsets[g]);
    };

    // The glyphs in their new order: .notdef, the characters', then the parts they are made of.
    std::vector<quint32> order;
    std::vector<int> newNumber(numGlyphs, -1);
    auto keep = [&](quint32 g) {
        if (g < numGlyphs && newNumber[g] < 0) {
            newNumber[g] = int(order.size());
            order.push_back(g);
        }
    };
    keep(0);
    for (const auto& [c, glyph] : characters)
        keep(glyph);
    for (size_t i = 0; i < order.size(); ++i) {
        const QByteArray glyph = glyphData(order[i]);
        forEachComponent(glyph, [&](qsizetype at) { keep(u16(glyph, at)); });
    }

    QByteArray glyf;
    std::vector<quint32> newOffsets;
    for (const quint32 g : order) {
        newOffsets.push_back(quint32(glyf.size()));
        QByteArray glyph = glyphData(g);
        forEachComponent(glyph, [&](qsizetype at) {
            const quint32 part = u16(glyph, at);
            put16(glyph, at,
                  quint16(part < numGlyphs && newNumber[part] >= 0 ? newNumber[part] : 0));
        });
        glyf.append(glyph);
        glyf.append(QByteArray((4 - glyf.size() % 4) % 4, '\0'));
    }
    newOffsets.push_back(quint32(glyf.size()));
    const bool shortOffsets = glyf.size() < 0x20000;
    QByteArray loca;
    for (const quint32 offset : newOffsets) {
        if (shortOffsets)
            append16(loca, quint16(offset / 2));
        else
            append32(loca, offset);
    }
    QByteArray widths;
    for (const quint32 g : order) {
        const bool full = g < metrics;
        append16(widths, u16(hmtxData, (full ? g : metrics - 1) * 4));
        append16(widths, u16(hmtxData, full ? g * 4 + 2 : metrics * 4 + (g - metrics) * 2));
    }
    std::map<char16_t, quint32> cmap;
    for (const auto& [c, glyph] : characters) {
        if (glyph != 0 && glyph < numGlyphs)
            cmap.emplace(c, quint32(newNumber[glyph]));
    }

    FontTables out = tables;
    out["glyf"] = glyf;
    out["loca"] = loca;
    out["hmtx"] = widths;
    out["cmap"] = unicodeCmap(cmap);
    put16(out["head"], 50, shortOffsets ? 0 : 1);
    put16(out["maxp"], 4, quint16(order.size()));
    put16(out["hhea"], 34, quint16(order.size()));
    return out;
}

QByteArray postScriptName(const FontTables& tables) {
    const auto it = tables.find("name");
    if (it == tables.end())
        return {};
    const QByteArray& name = it->second;
    const int count = u16(name, 2);
    const int storage = u16(name, 4);
    QByteArray macName;
    for (int i = 0; i < count; ++i) {
        const qsizetype rec = 6 + qsizetype(i) * 12;
        if (rec + 12 > name.size())
            break;
        const int platform = u16(name, rec);
        const int nameId = u16(name, rec + 6);
        const int length = u16(name, rec + 8);
        const qsizetype at = storage + u16(name, rec + 10);
        if (nameId != 6 || at + length > name.size())
            continue;
        const QByteArray raw = name.mid(at, length);
        if (platform == 3 || platform == 0) {
            QStringDecoder decoder(QStringDecoder::Utf16BE);
            const QString text = decoder(raw);
            if (!text.isEmpty())
                return text.toLatin1();
        } else if (platform == 1 && macName.isEmpty()) {
            macName = raw;
        }
    }
    return macName;
}

FontMetrics readFontMetrics(const QRawFont& font, const FontTables& tables) {
    FontMetrics m;
    m.ascent = int(std::lround(font.ascent()));
    m.descent = -int(std::lround(font.descent()));
    m.capHeight = int(std::lround(font.capHeight()));
    m.avgWidth = int(std::lround(font.averageCharWidth()));
    m.maxWidth = int(std::lround(font.maxCharWidth()));
    m.italic = font.style() != QFont::StyleNormal;
    int weight = font.weight();
    m.bbox[0] = 0;
    m.bbox[1] = m.descent;
    m.bbox[2] = m.maxWidth;
    m.bbox[3] = m.ascent;

    const auto table = [&](const char* tag) {
        const auto it = tables.find(tag);
        return it == tables.end() ? QByteArray() : it->second;
    };
    const QByteArray head = table("head");
    const double unitsPerEm = head.size() >= 54 && u16(head, 18) > 0 ? u16(head, 18) : 0;
    if (unitsPerEm > 0) {
        for (int i = 0; i < 4; ++i)
            m.bbox[i] = scaled(s16(head, 36 + i * 2), unitsPerEm);
        if (const QByteArray hhea = table("hhea"); hhea.size() >= 12)
            m.maxWidth = scaled(u16(hhea, 10), unitsPerEm);
        if (const QByteArray post = table("post"); post.size() >= 16) {
            m.italicAngle = qint32(u32(post, 4)) / 65536.0;
            m.underlinePosition = scaled(s16(post, 8), unitsPerEm);
            m.underlineThickness = std::max(1, scaled(s16(post, 10), unitsPerEm));
            m.fixedPitch = u32(post, 12) != 0;
        }
        if (const QByteArray os2 = table("OS/2"); os2.size() >= 78) {
            m.avgWidth = scaled(s16(os2, 2), unitsPerEm);
            weight = u16(os2, 4);
            m.strikeOutPosition = scaled(s16(os2, 28), unitsPerEm);
            const int familyType = static_cast<unsigned char>(os2[32]);
            const int serifStyle = static_cast<unsigned char>(os2[33]);
            m.serif = familyType == 2 && serifStyle >= 2 && serifStyle <= 10;
            m.italic = m.italic || (u16(os2, 62) & 1);
            if (u16(os2, 0) >= 2 && os2.size() >= 90 && s16(os2, 88) > 0)
                m.capHeight = scaled(s16(os2, 88), unitsPerEm);
        }
        if (const QByteArray cmap = table("cmap"); cmap.size() >= 4) {
            bool symbolMap = false;
            bool unicodeMap = false;
            const int n = u16(cmap, 2);
            for (int i = 0; i < n; ++i) {
                const int platform = u16(cmap, 4 + i * 8);
                const int encoding = u16(cmap, 6 + i * 8);
                symbolMap = symbolMap || (platform == 3 && encoding == 0);
                unicodeMap = unicodeMap || platform == 0 || (platform == 3 && encoding != 0);
            }
            m.symbolic = symbolMap && !unicodeMap;
        }
    } else {
        // A font without tables (Type 1): judge the pitch by two very different letters.
        const auto glyphs = font.glyphIndexesForString(QStringLiteral("iW"));
        const auto advances = font.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
        m.fixedPitch = advances.size() == 2 && std::fabs(advances[0].x() - advances[1].x()) < 1;
    }
    if (weight <= 0)
        weight = 400;
    // Adobe's rule of thumb for the dominant stem width from the weight class.
    m.stemV = std::max(10, 10 + 220 * (weight - 50) / 900);
    m.stemH = std::max(10, m.stemV * 3 / 4);
    if (m.capHeight <= 0)
        m.capHeight = m.ascent * 7 / 10;
    return m;
}

} // namespace pdf
