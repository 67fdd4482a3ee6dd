#include "report/rtfwriter.h"

#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <cmath>

namespace report {

namespace {

constexpr double kTwipsPerPixel = 15;
constexpr double kTwipsPerPoint = 20;

struct RunFormat {
    int font = 0;
    int halfPoints = 20;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
};

class Writer {
public:
    explicit Writer(const QTextDocument& document)
        : m_doc(document)
        , m_default(document.defaultFont()) {}

    QString run() {
        QString body;
        for (QTextBlock block = m_doc.begin(); block.isValid(); block = block.next())
            writeBlock(block, body);
        QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl");
        for (int i = 0; i < m_fonts.size(); ++i)
            out += QStringLiteral("{\\f%1\\fnil\\fcharset0 %2;}").arg(i).arg(escaped(m_fonts[i]));
        out += QStringLiteral("}\n");
        out += body;
        out += QLatin1Char('}');
        return out;
    }

private:
    int fontNumber(const QString& family) {
        int index = int(m_fonts.indexOf(family));
        if (index < 0) {
            index = int(m_fonts.size());
            m_fonts << family;
        }
        return index;
    }

    // The format a run is shown in: its own properties over the document's default font.
    RunFormat formatOf(const QTextCharFormat& format) {
        QString family = m_default.family();
        if (format.hasProperty(QTextFormat::FontFamilies)) {
            const QStringList families = format.fontFamilies().toStringList();
            if (!families.isEmpty())
                family = families.first();
        } else if (format.hasProperty(QTextFormat::FontFamily)) {
            family = format.property(QTextFormat::FontFamily).toString();
        }
        double points = m_default.pointSizeF();
        if (points <= 0) // a default font given in pixels
            points = m_default.pixelSize() * 72.0 / 96.0;
        if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
            points = format.fontPointSize();
        RunFormat r;
        r.font = fontNumber(family);
        r.halfPoints = std::max(1, int(std::lround(points * 2)));
        const int weight =
            format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight() : m_default.weight();
        r.bold = weight >= QFont::DemiBold;
        r.italic =
            format.hasProperty(QTextFormat::FontItalic) ? format.fontItalic() : m_default.italic();
        r.underline = format.hasProperty(QTextFormat::FontUnderline) ||
                              format.hasProperty(QTextFormat::TextUnderlineStyle)
                          ? format.fontUnderline()
                          : m_default.underline();
        r.strike = format.hasProperty(QTextFormat::FontStrikeOut) ? format.fontStrikeOut()
                                                                  : m_default.strikeOut();
        return r;
    }

    static QString fullFormat(const RunFormat& r) {
        QString s = QStringLiteral("\\f%1\\fs%2").arg(r.font).arg(r.halfPoints);
        if (r.bold)
            s += QStringLiteral("\\b");
        if (r.italic)
            s += QStringLiteral("\\i");
        if (r.underline)
            s += QStringLiteral("\\ul");
        if (r.strike)
            s += QStringLiteral("\\strike");
        return s;
    }

    static QString changes(const RunFormat& from, const RunFormat& to) {
        QString s;
        if (to.font != from.font)
            s += QStringLiteral("\\f%1").arg(to.font);
        if (to.halfPoints != from.halfPoints)
            s += QStringLiteral("\\fs%1").arg(to.halfPoints);
        if (to.bold != from.bold)
            s += to.bold ? QStringLiteral("\\b") : QStringLiteral("\\b0");
        if (to.italic != from.italic)
            s += to.italic ? QStringLiteral("\\i") : QStringLiteral("\\i0");
        if (to.underline != from.underline)
            s += to.underline ? QStringLiteral("\\ul") : QStringLiteral("\\ulnone");
        if (to.strike != from.strike)
            s += to.strike ? QStringLiteral("\\strike") : QStringLiteral("\\strike0");
        return s;
    }

    static int twips(double pixels) { return int(std::lround(pixels * kTwipsPerPixel)); }

    void writeBlock(const QTextBlock& block, QString& out) {
        const QTextBlockFormat bf = block.blockFormat();
        out += QStringLiteral("\\pard");
        const Qt::Alignment align = bf.alignment() & Qt::AlignHorizontal_Mask;
        if (align & Qt::AlignHCenter)
            out += QStringLiteral("\\qc");
        else if (align & Qt::AlignJustify)
            out += QStringLiteral("\\qj");
        else if (align & (Qt::AlignRight | Qt::AlignTrailing))
            out += QStringLiteral("\\qr");
        QTextList* list = block.textList();
        double leftPixels = bf.leftMargin() + bf.indent() * m_doc.indentWidth();
        if (list)
            leftPixels += list->format().indent() * m_doc.indentWidth();
        if (const int fi = twips(bf.textIndent()))
            out += QStringLiteral("\\fi%1").arg(fi);
        if (const int li = twips(leftPixels))
            out += QStringLiteral("\\li%1").arg(li);
        if (const int ri = twips(bf.rightMargin()))
            out += QStringLiteral("\\ri%1").arg(ri);

        // The runs, and the format of the paragraph's end, which an empty paragraph shows.
        std::vector<std::pair<RunFormat, QString>> runs;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            QString text = fragment.text();
            text.remove(QChar::ObjectReplacementCharacter); // pictures are not kept
            if (!text.isEmpty())
                runs.emplace_back(formatOf(fragment.charFormat()), text);
        }
        const RunFormat end = runs.empty() ? formatOf(block.charFormat()) : runs.back().first;
        if (list) {
            const bool bullet = list->format().style() == QTextListFormat::ListDisc ||
                                list->format().style() == QTextListFormat::ListCircle ||
                                list->format().style() == QTextListFormat::ListSquare;
            const RunFormat marker = runs.empty() ? end : runs.front().first;
            // \pn for readers of numbering, \pntext (the marker as text) for all others.
            if (bullet)
                out += QStringLiteral("{\\*\\pn\\pnlvlblt\\pnf%1\\pnindent0{\\pntxtb\\u8226?}}"
                                      "{\\pntext\\f%1\\u8226?\\tab}")
                           .arg(marker.font);
            else
                out += QStringLiteral("{\\*\\pn\\pnlvlbody\\pnf%1\\pnindent0\\pnstart1\\pndec"
                                      "{\\pntxta.}}{\\pntext\\f%1 %2\\tab}")
                           .arg(marker.font)
                           .arg(escaped(list->itemText(block)));
        }
        RunFormat current = runs.empty() ? end : runs.front().first;
        out += QStringLiteral("\\plain") + fullFormat(current) + QLatin1Char(' ');
        for (const auto& [format, text] : runs) {
            const QString change = changes(current, format);
            if (!change.isEmpty())
                out += change + QLatin1Char(' ');
            current = format;
            out += escaped(text);
        }
        out += QStringLiteral("\\par\n");
    }

    static QString escaped(const QString& text) {
        QString out;
        out.reserve(text.size());
        for (const QChar ch : text) {
            const char16_t u = ch.unicode();
            switch (u) {
            case '\\':
            case '{':
            case '}':
                out += QLatin1Char('\\');
                out += ch;
                continue;
            case '\t':
                out += QStringLiteral("\\tab ");
                continue;
            case 0x2028: // a line break within the paragraph
            case '\n':
            case '\r':
                out += QStringLiteral("\\line ");
                continue;
            case 0x00A0:
                out += QStringLiteral("\\~");
                continue;
            default:
                break;
            }
            if (u >= 0x20 && u < 0x7F)
                out += ch;
            else if (u >= 0x7F)
                // Signed 16 bits, each half of a surrogate pair on its own; '?' for readers
                // that cannot show it.
                out += QStringLiteral("\\u%1?").arg(int(static_cast<qint16>(u)));
        }
        return out;
    }

    const QTextDocument& m_doc;
    const QFont m_default;
    QStringList m_fonts;
};

} // namespace

QString documentToRtf(const QTextDocument& document) {
    return Writer(document).run();
}

} // namespace report
