#include "pdfdocument.h"

#include "logging.h"

#include <QObject>

using namespace pdf;
using namespace std::string_view_literals;

namespace {

bool isSimpleCharset(int charset) {
    return charset == PdfCharset::Ansi || charset == PdfCharset::Default ||
           charset == PdfCharset::Symbol;
}

} // namespace

// ---- Text ----

DocumentFont* TgtCustomPDFEngine::Document::simpleFont(const QString& requested, bool bold,
                                                       bool italic, int charset,
                                                       TgtFontEncoding encoding) {
    if (lastFont && lastCharset == charset && lastBold == bold && lastItalic == italic &&
        lastName == requested)
        return lastFont;
    const StyleKey key{family(requested), bold, italic, charset, {}};
    DocumentFont* font = fontIndex.value(key);
    if (!font) {
        auto created =
            pdf::makeSimpleFont(key.family, bold, italic, charset, primaryRawFont(key), encoding);
        font = addFont(std::move(created), key);
    }
    lastFont = font;
    lastName = requested;
    lastBold = bold;
    lastItalic = italic;
    lastCharset = charset;
    return font;
}

DocumentFont* TgtCustomPDFEngine::Document::compositeFont(const QString& requested, bool bold,
                                                          bool italic, int charset,
                                                          const QString& text) {
    // The charset changes nothing in a composite font, so one serves them all.
    StyleKey key{family(requested), bold, italic, -1, {}};
    const QRawFont raw = pdf::compositeRawFont(primaryRawFont(key), text, bold, italic);
    if (!raw.isValid())
        return nullptr;
    key.fallback = raw.familyName() + u'\x1f' + raw.styleName();
    DocumentFont* font = fontIndex.value(key);
    if (!font)
        font = addFont(pdf::makeCompositeFont(key.family, bold, italic, charset, raw), key);
    return font;
}

DocumentFont* TgtCustomPDFEngine::Document::fallbackFont(char32_t character, bool bold,
                                                         bool italic) {
    const quint64 cacheKey = (quint64(character) << 2) | (bold ? 2 : 0) | (italic ? 1 : 0);
    if (const auto it = fallbackFonts.constFind(cacheKey); it != fallbackFonts.constEnd())
        return it.value();
    DocumentFont* found = nullptr;
    for (const QString& family : pdf::fallbackSearchOrder()) {
        StyleKey key{family, bold, italic, -1, {}};
        const QRawFont raw = primaryRawFont(key);
        if (!pdf::hasTrueTypeOutlines(raw) || !raw.supportsCharacter(uint(character)))
            continue;
        key.fallback = raw.familyName() + u'\x1f' + raw.styleName();
        found = fontIndex.value(key);
        if (!found)
            found = addFont(pdf::makeCompositeFont(family, bold, italic, -1, raw), key);
        if (found->glyphFor(character) != 0)
            break;
        found = nullptr;
    }
    fallbackFonts.insert(cacheKey, found);
    return found;
}

void TgtCustomPDFEngine::drawText(const TextItem& item) {
    if (!isPageOpen() || item.text.isEmpty() ||
        !acceptGeometry({item.rect.topLeft(), item.rect.bottomRight()},
                        {item.fontSize, item.angle, item.charSpacing}, "text"))
        return;
    Document& d = *m_doc;
    QString text = item.text;
    const double size = item.fontSize > 0 ? item.fontSize : d.defaultFontSize;
    // An item that names no font takes the default font, its charset included.
    const QString& requested = item.fontName.isEmpty() ? d.defaultFontName : item.fontName;
    const int charset = item.fontName.isEmpty() ? d.defaultCharset : item.charset;
    const bool rotated = item.angle != 0 && item.angle != 360;
    const bool justified = (item.alignment & Qt::AlignJustify) && !rotated;
    const bool aligned =
        !rotated && !justified && (item.alignment & (Qt::AlignRight | Qt::AlignHCenter));

    // 1. A simple font when the text fits its encoding, a composite font otherwise.
    const pdf::SingleByteEncoding& encoding = *d.encoding;
    std::string& bytes = d.textBytes;
    bytes.clear();
    const bool symbol = charset == PdfCharset::Symbol;
    bool tabs = false;
    // Codes of the text in the font encoding; false when a character has none.
    bool mayLink = false; // an "@", a ":" or a "ww": the text may hold an address
    auto encode = [&]() {
        bytes.resize(size_t(text.size()));
        char* out = bytes.data();
        char16_t previous = 0;
        for (const QChar ch : std::as_const(text)) {
            const char16_t u = ch.unicode();
            int code;
            if (u - 0x20u < 0x5Fu && encoding.keepsAscii())
                code = u; // printable ASCII, the common case
            else if (u < 0x20)
                code = u; // control characters are escaped in the string
            else if (symbol && u >= 0xF020 && u <= 0xF0FF)
                code = u & 0xFF;
            else
                code = encoding.fromUnicode(u);
            if (code < 0)
                return false;
            tabs = tabs || u == u'\t';
            mayLink = mayLink || u == u'@' || u == u':' || (u == u'w' && previous == u'w');
            previous = u;
            *out++ = char(code);
        }
        return true;
    };
    bool composite = !isSimpleCharset(charset) || !encode();
    // Tabs become blanks, in the measured text as well as in the written one.
    if (tabs || (composite && text.contains(u'\t'))) {
        text = pdf::expandTabs(text);
        if (!composite)
            encode();
    }
    DocumentFont* font = nullptr;
    if (!composite) {
        font = d.simpleFont(requested, item.bold, item.italic, charset, d.fontEncoding);
        // A PDF/A file embeds every font and may not draw a character its font lacks: such
        // text, and text in a font that cannot be embedded, goes through composite fonts.
        if (d.archival) {
            composite = !font->trueType || font->metrics.symbolic;
            for (size_t i = 0; i < bytes.size() && !composite; ++i)
                composite = !font->hasGlyph[static_cast<unsigned char>(bytes[i])] &&
                            bytes[i] != ' ' && static_cast<unsigned char>(bytes[i]) >= 0x20;
            if (composite && text.contains(u'\t'))
                text = pdf::expandTabs(text);
        }
    }
    if (!composite) {
        for (const char b : bytes)
            font->usedCodes[static_cast<unsigned char>(b)] = true;
    } else {
        font = d.compositeFont(requested, item.bold, item.italic, charset, text);
        if (!font) {
            report(QObject::tr("No TrueType font is installed to write \"%1\".").arg(text));
            return;
        }
    }
    d.textUsed = true;

    // 2. Units drawn (bytes or glyphs), where each starts in the text, and their widths when
    //    the layout needs them.
    QList<pdf::FoundLink> links;
    if (Preferences.ActivateHyperlinks && !rotated && (composite || mayLink))
        links = pdf::findLinks(text);
    const bool measure =
        aligned || justified || item.underline || item.strikeOut || !links.isEmpty();
    d.glyphs.clear();
    d.unitStart.clear();
    d.unitWidth.clear();
    d.unitFonts.clear();
    if (composite) {
        QString missing;
        for (qsizetype i = 0; i < text.size(); ++i) {
            char32_t cp = text.at(i).unicode();
            const qsizetype start = i;
            if (QChar::isHighSurrogate(cp) && i + 1 < text.size() &&
                text.at(i + 1).isLowSurrogate()) {
                cp = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
                ++i;
            }
            if (cp < 0x20)
                cp = u' ';
            DocumentFont* unitFont = font;
            quint32 glyph = font->glyphFor(cp);
            if (glyph == 0 && d.archival) {
                // From another font; where none has it, left out rather than drawn as the
                // blank box PDF/A forbids.
                unitFont = d.fallbackFont(cp, item.bold, item.italic);
                if (!unitFont) {
                    missing += QString::fromUcs4(&cp, 1);
                    continue;
                }
                glyph = unitFont->glyphFor(cp);
            }
            unitFont->usedGlyphs.insert(glyph);
            if (glyph != 0 && !unitFont->textOfGlyph.count(glyph))
                unitFont->textOfGlyph.emplace(glyph, QString::fromUcs4(&cp, 1));
            d.glyphs.push_back(glyph);
            d.unitFonts.push_back(unitFont);
            d.unitStart.push_back(int(start));
            if (measure)
                d.unitWidth.push_back(unitFont->glyphWidth(glyph) * size / 1000.0);
        }
        if (!missing.isEmpty())
            report(QObject::tr("No installed font has the characters \"%1\" of \"%2\": they were "
                               "left out of the PDF/A file.")
                       .arg(missing, text));
        if (d.glyphs.empty())
            return;
    } else if (measure) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            d.unitStart.push_back(int(i));
            d.unitWidth.push_back(font->widths[static_cast<unsigned char>(bytes[i])] * size /
                                  1000.0);
        }
    }
    const size_t units = composite ? d.glyphs.size() : bytes.size();
    const double spacing = composite || justified ? 0.0 : item.charSpacing;
    double textWidth = 0;
    for (const double width : d.unitWidth)
        textWidth += width;
    if (units > 1)
        textWidth += spacing * double(units - 1);

    // 3. Start of the baseline in PDF space.
    const double left = d.x(item.rect.left());
    const double top = d.y(item.rect.top());
    const double boxWidth = item.rect.width() * d.xScale;
    double x = left;
    double y = top - size;
    if (aligned)
        x = (item.alignment & Qt::AlignRight) ? left + boxWidth - textWidth
                                              : left + (boxWidth - textWidth) / 2;
    const double rise = item.script == TextItem::Superscript ? size / 2
                        : item.script == TextItem::Subscript ? -size / 2
                                                             : 0.0;
    double cosA = 1, sinA = 0;
    if (rotated) {
        const double angle = item.angle * M_PI / 180.0;
        cosA = std::cos(angle);
        sinA = std::sin(angle);
        x = left + size * sinA;
        y = top - size * cosA;
    }

    // Justified text: the room left over goes into the word gaps, or between all letters of
    // a single word; link and line positions follow the stretched letters.
    size_t lastVisible = units > 0 ? units - 1 : 0;
    bool byWords = false;
    double extra = 0;
    auto isBlank = [&](size_t i) {
        return composite ? text.at(d.unitStart[i]) == u' ' : bytes[i] == ' ';
    };
    auto stretched = [&](size_t i) { return i < lastVisible && (!byWords || isBlank(i)); };
    if (justified && units > 1) {
        while (lastVisible > 0 && isBlank(lastVisible))
            --lastVisible;
        size_t gaps = 0;
        for (size_t i = 0; i < lastVisible; ++i)
            gaps += isBlank(i) ? 1 : 0;
        byWords = gaps > 0;
        if (!byWords)
            gaps = lastVisible;
        extra = gaps > 0 ? (boxWidth - textWidth) / double(gaps) : 0.0;
        textWidth = 0;
        for (size_t i = 0; i < units; ++i) {
            if (stretched(i))
                d.unitWidth[i] += extra;
            textWidth += d.unitWidth[i];
        }
    }

    // 4. The text object.
    {
        Emitter e(d.content, 512 + units * (justified ? 40 : 8));
        e << "\r\n q ";
        if (item.clip) {
            e.number(left).blank().number(d.y(item.rect.bottom())).blank().number(boxWidth);
            e.blank().number(item.rect.height() * d.yScale) << " re W n\r\n";
        }
        e << "BT\r\n";
        if (item.renderMode == TextItem::Stroke)
            e << "1 Tr";
        else if (item.renderMode == TextItem::FillAndStroke)
            e << "2 Tr";
        else
            e << "0 Tr";
        if (rise != 0)
            e.blank().number(rise) << " Ts";
        e << "\r\n";
        e.color(item.color) << " rg";
        if (item.renderMode != TextItem::Fill)
            e.blank().color(item.color) << " RG"; // outlines would otherwise come out black
        e << "\r\n/F";
        // Composite text starts in the font of its first glyph, which is a fallback font when
        // the text's own font has none of them.
        DocumentFont* current = composite ? d.unitFonts.front() : font;
        e.integer(current->position).blank().raw(d.sizeText.get(size)) << " Tf\r\n";
        if (composite)
            e << "0 Tc\r\n0 Tw\r\n";
        else if (!justified)
            e.blank().raw(d.spacingText.get(spacing)) << " Tc 0 Tw\r\n";
        else
            e << "0 Tw\r\n";

        if (rotated) {
            e.number(cosA).blank().number(sinA).blank().number(-sinA).blank().number(cosA);
            e.blank().number(x).blank().number(y) << " Tm \r\n";
        } else {
            e.number(x).blank().number(y);
            if (composite)
                e << " Td ";
            else
                e << " Td\r\n";
        }
        // Glyphs from a fallback font continue the same text object with that font.
        auto switchFont = [&](size_t i, const char(&close)[5], const char(&reopen)[2]) {
            if (d.unitFonts[i] == current)
                return;
            current = d.unitFonts[i];
            e << close << "\r\n/F";
            e.integer(current->position).blank().raw(d.sizeText.get(size)) << " Tf ";
            e << reopen;
        };
        if (justified && units > 1) {
            e << "[";
            for (size_t i = 0; i < units; ++i) {
                if (composite) {
                    switchFont(i, " ]TJ", "[");
                    e << "<" << d.glyphs[i] << ">";
                } else {
                    e << "(";
                    e.literal(std::string_view(&bytes[i], 1)) << ")";
                }
                e.number(stretched(i) ? -extra * 1000.0 / size : 0.0);
            }
            e << " ]TJ ";
        } else if (composite) {
            e << "<";
            for (size_t i = 0; i < units; ++i) {
                switchFont(i, "> Tj", "<");
                e << d.glyphs[i];
            }
            e << "> Tj";
        } else {
            e << "(";
            e.literal(bytes) << ") Tj";
        }
        e << "\r\nET Q ";

        // 5. Underline and strike-out, along the baseline even when it is turned.
        const pdf::FontMetrics& m = font->metrics;
        auto lineAt = [&](double offset) {
            double length = textWidth;
            if (item.clip)
                length = std::min(length, boxWidth - (x - left));
            if (length <= 0)
                return;
            const double x1 = x - (offset + rise) * sinA;
            const double y1 = y + (offset + rise) * cosA;
            e << "\r\nq\r\n";
            e.color(item.color) << " RG ";
            e.number(std::max(0.1, m.underlineThickness * size / 1000.0)) << " w ";
            e.number(x1).blank().number(y1) << " m ";
            e.number(x1 + length * cosA).blank().number(y1 + length * sinA) << " l S\r\nQ";
        };
        if (item.underline)
            lineAt(m.underlinePosition * size / 1000.0);
        if (item.strikeOut)
            lineAt(m.strikeOutPosition * size / 1000.0);
    }

    // 6. Links over the words that name an address.
    const pdf::FontMetrics& m = font->metrics;
    for (const pdf::FoundLink& link : std::as_const(links)) {
        double start = x, width = 0;
        for (size_t i = 0; i < d.unitStart.size(); ++i) {
            const int at = d.unitStart[i];
            const double advance = d.unitWidth[i] + spacing;
            if (at < link.start)
                start += advance;
            else if (at < link.start + link.length)
                width += advance;
        }
        if (width <= 0)
            continue;
        const pdf::LinkAction action = pdf::linkAction(link.target);
        // PDF/A allows no action that starts a program, and wants links printed and drawn.
        if (d.archival && action.before.find("/Launch") != std::string::npos)
            continue;
        const int annotation = d.writer.allocate();
        std::string body = d.archival
                               ? "/Type/Annot/Border []/H/I/Subtype/Link/F 4/C [0 0 1]/Rect ["
                               : "/Type/Annot/Border []/H/I/Subtype/Link/F 0/C [11 00 01]/Rect [";
        appendNumber(body, start);
        body += ' ';
        appendNumber(body, y + rise + m.descent * size / 1000.0);
        body += ' ';
        appendNumber(body, start + width);
        body += ' ';
        appendNumber(body, y + rise + m.ascent * size / 1000.0);
        body += "]/A <<" + action.before +
                d.writer.stringToken(annotation, action.stringBytes, !action.hexString) +
                action.after + ">>";
        if (d.archival) {
            if (d.emptyAppearance == 0)
                d.emptyAppearance = d.writer.allocate();
            body += "/AP <</N ";
            appendReference(body, d.emptyAppearance);
            body += ">>";
        }
        body += "\r\n";
        d.writer.writeObject(annotation, body);
        d.annotations.push_back(annotation);
    }
}
