#include "report/textlayout.h"

#include "report/units.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr double kMeasureScale = kTextMeasureScale;
constexpr double kMeasureDpi = kUnitsPerInch * kMeasureScale;

const QPaintDevice* measureDevice() {
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMeter = static_cast<int>(std::lround(kMeasureDpi / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}

QFont baseFont(const FontSpec& fontSpec) {
    QFont f(resolveFamily(fontSpec.family));
    f.setPointSizeF(fontSpec.size > 0 ? fontSpec.size : 10);
    f.setBold(fontSpec.bold);
    f.setItalic(fontSpec.italic);
    f.setUnderline(fontSpec.underline);
    f.setStrikeOut(fontSpec.strikeOut);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

QFont measureFont(const FontSpec& fontSpec) {
    return QFont(baseFont(fontSpec), measureDevice());
}

QTextOption textOption(bool wrap) {
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    return option;
}

double alignedX(double lineWidth, double boxWidth, Qt::Alignment alignment) {
    if (boxWidth <= 0)
        return 0;
    if (alignment & Qt::AlignRight)
        return boxWidth - lineWidth;
    if (alignment & Qt::AlignHCenter)
        return (boxWidth - lineWidth) / 2;
    return 0;
}

// Rich text gives its margins and indents in pixels of a 96-dpi screen, and the document
// layout takes them as pixels of its device; they are scaled to the measuring device so that a
// paragraph stands as far in as the editor showed it. (List indents are scaled by the layout.)
void scaleIndents(QTextDocument& doc) {
    const double factor = kMeasureDpi / 96.0;
    QTextCursor cursor(&doc);
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextBlockFormat format = b.blockFormat();
        if (format.leftMargin() == 0 && format.rightMargin() == 0 && format.textIndent() == 0)
            continue;
        format.setLeftMargin(format.leftMargin() * factor);
        format.setRightMargin(format.rightMargin() * factor);
        format.setTextIndent(format.textIndent() * factor);
        cursor.setPosition(b.position());
        cursor.setBlockFormat(format);
    }
}

// The font of a run: the format's own, the base font's family and size where it gives none.
FontSpec runFont(const QTextCharFormat& format, const FontSpec& base) {
    FontSpec font = fontSpecFrom(format.font());
    if (!format.hasProperty(QTextFormat::FontFamilies) &&
        !format.hasProperty(QTextFormat::FontFamily))
        font.family = base.family;
    if (!format.hasProperty(QTextFormat::FontPointSize))
        font.size = base.size;
    return font;
}

// A list item's marker, which the document layout paints itself rather than as text: a bullet
// for the bullet styles, the item's number otherwise, ending one blank before the text of the
// first line, in the font of the item's first character (without underline or strike-out).
void addListMarker(const QTextBlock& b, const QTextLine& first, const QPointF& origin,
                   const FontSpec& base, TextBlock& out) {
    const QTextList* list = b.textList();
    if (!list)
        return;
    const QTextListFormat::Style style = list->format().style();
    const bool bullet = style == QTextListFormat::ListDisc ||
                        style == QTextListFormat::ListCircle ||
                        style == QTextListFormat::ListSquare;
    const QString marker = bullet ? QString(style == QTextListFormat::ListCircle   ? QChar(0x25E6)
                                            : style == QTextListFormat::ListSquare ? QChar(0x25AA)
                                                                                   : QChar(0x2022))
                                  : list->itemText(b);
    if (marker.isEmpty())
        return;
    QTextCharFormat format = b.charFormat();
    if (QTextBlock::iterator it = b.begin(); !it.atEnd() && it.fragment().isValid())
        format = it.fragment().charFormat();
    TextRun run;
    run.font = runFont(format, base);
    // Lines through or under the text do not go through its marker.
    run.font.underline = run.font.strikeOut = false;
    run.text = marker;
    run.width = textWidth(marker, run.font);
    const double x = (origin.x() + first.naturalTextRect().left()) / kMeasureScale -
                     textWidth(QStringLiteral(" "), run.font) - run.width;
    run.origin = QPointF(x, (origin.y() + first.y() + first.ascent()) / kMeasureScale);
    out.runs.push_back(run);
}

} // namespace

QString FontSpec::describe() const {
    QString s = QStringLiteral("%1 %2").arg(family).arg(size);
    if (bold)
        s += QStringLiteral(" bold");
    if (italic)
        s += QStringLiteral(" italic");
    if (underline)
        s += QStringLiteral(" underline");
    if (strikeOut)
        s += QStringLiteral(" strikeout");
    return s;
}

QString resolveFamily(const QString& family) {
    static const bool substituted = [] {
        // The metric twins that fonts-liberation2 installs, so the layout does not depend on
        // what fontconfig happens to prefer.
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Helvetica"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                                  QStringLiteral("Liberation Serif"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        return true;
    }();
    Q_UNUSED(substituted);
    if (family.isEmpty())
        return QStringLiteral("Liberation Sans");
    if (family.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    if (family.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Serif");
    if (family.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Mono");
    return family;
}

QFont deviceFont(const FontSpec& fontSpec, double deviceDpi) {
    QFont f = baseFont(fontSpec);
    // Under a painter scaled to layout units the font must be as tall in user space as it is
    // in layout units: points * 115.2 / 72 units.
    f.setPointSizeF((fontSpec.size > 0 ? fontSpec.size : 10) * kUnitsPerInch / deviceDpi);
    return f;
}

FontSpec fontSpecFrom(const QFont& font) {
    FontSpec fontSpec;
    fontSpec.family = font.family();
    if (fontSpec.family == QLatin1String("Liberation Sans"))
        fontSpec.family = QStringLiteral("Arial");
    fontSpec.size = font.pointSizeF() > 0 ? font.pointSizeF() : 10;
    fontSpec.bold = font.weight() >= QFont::DemiBold;
    fontSpec.italic = font.italic();
    fontSpec.underline = font.underline();
    fontSpec.strikeOut = font.strikeOut();
    return fontSpec;
}

double measuredFontSize(const FontSpec& font) {
    const double points = font.size > 0 ? font.size : 10;
    const double pixels = std::max(1.0, std::round(points * kMeasureDpi / 72.0));
    return pixels * 72.0 / kMeasureDpi;
}

double textWidth(const QString& text, const FontSpec& font) {
    const QString line = text.section(QLatin1Char('\n'), 0, 0);
    QTextLayout layout(line, measureFont(font), measureDevice());
    layout.setTextOption(textOption(false));
    layout.beginLayout();
    QTextLine l = layout.createLine();
    double width = 0;
    if (l.isValid()) {
        l.setLineWidth(1e9);
        width = l.naturalTextWidth();
    }
    layout.endLayout();
    return width / kMeasureScale;
}

std::vector<double> caretPositions(const QString& text, const FontSpec& font) {
    std::vector<double> carets(size_t(text.size()) + 1, 0.0);
    QTextLayout layout(text, measureFont(font), measureDevice());
    layout.setTextOption(textOption(false));
    layout.beginLayout();
    QTextLine l = layout.createLine();
    if (l.isValid()) {
        l.setLineWidth(1e9);
        for (qsizetype i = 0; i <= text.size(); ++i)
            carets[size_t(i)] = l.cursorToX(int(i)) / kMeasureScale;
    }
    layout.endLayout();
    return carets;
}

double lineHeight(const FontSpec& font) {
    const QFontMetricsF m(measureFont(font), measureDevice());
    return (m.ascent() + m.descent()) / kMeasureScale;
}

double ascent(const FontSpec& font) {
    const QFontMetricsF m(measureFont(font), measureDevice());
    return m.ascent() / kMeasureScale;
}

namespace {

struct LaidLine {
    QString text;
    double width;
};

// Splits a line that is wider than the width (one word that does not fit) into pieces that
// do, between two characters (never inside a character made of several code units). Each
// character's advance is read once, so the work is linear in the length of the word.
void splitOverlongWord(const QString& part, const QFontMetricsF& metrics, double width,
                       std::vector<LaidLine>& lines, int maxLines, bool& cut) {
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, part);
    qsizetype pieceStart = 0;
    qsizetype at = 0;
    double pieceWidth = 0;
    while (at < part.size()) {
        qsizetype next = clusters.toNextBoundary();
        if (next < 0 || next <= at)
            next = at + 1;
        const double advance =
            (next - at == 1 ? metrics.horizontalAdvance(part.at(at))
                            : metrics.horizontalAdvance(part.mid(at, next - at))) /
            kMeasureScale;
        if (at > pieceStart && pieceWidth + advance > width + 1e-6) {
            if (maxLines > 0 && int(lines.size()) >= maxLines) {
                cut = true;
                return;
            }
            lines.push_back({part.mid(pieceStart, at - pieceStart), pieceWidth});
            pieceStart = at;
            pieceWidth = 0;
        }
        pieceWidth += advance;
        at = next;
    }
    if (at > pieceStart) {
        if (maxLines > 0 && int(lines.size()) >= maxLines) {
            cut = true;
            return;
        }
        lines.push_back({part.mid(pieceStart, at - pieceStart), pieceWidth});
    }
}

} // namespace

TextBlock layoutText(const QString& text, const FontSpec& font, const QColor& color,
                     const TextLayoutOptions& options) {
    TextBlock block;
    const QFont f = measureFont(font);
    const QFontMetricsF metrics(f, measureDevice());
    const double lineH = (metrics.ascent() + metrics.descent()) / kMeasureScale;
    const double asc = metrics.ascent() / kMeasureScale;
    const double width = options.width;
    const bool breaking = (options.wrap || options.cut) && width > 0;
    const int maxLines = options.maxLines > 0 ? options.maxLines : 0;
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList paragraphs = normalized.split(QLatin1Char('\n'));

    // Cutting without wrapping keeps one line of each paragraph.
    const bool oneLine = options.cut && !options.wrap;
    std::vector<LaidLine> lines;
    auto full = [&] { return maxLines > 0 && int(lines.size()) >= maxLines; };
    bool stop = false;
    for (const QString& paragraph : paragraphs) {
        if (full()) {
            block.cut = true;
            break;
        }
        QTextLayout layout(paragraph, f, measureDevice());
        QTextOption option = textOption(false);
        // Breaking only at word boundaries keeps the line breaker linear; words longer than
        // the width are broken here afterwards.
        if (breaking)
            option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        bool any = false;
        for (;;) {
            QTextLine l = layout.createLine();
            if (!l.isValid())
                break;
            if (full()) {
                block.cut = stop = true;
                break;
            }
            if (any && oneLine) {
                block.cut = true;
                break;
            }
            any = true;
            l.setLineWidth(breaking ? width * kMeasureScale : 1e9);
            QString part = paragraph.mid(l.textStart(), l.textLength());
            // A wrapped line ends in the blank it broke at; it does not count for alignment.
            qsizetype kept = part.size();
            while (breaking && kept > 0 && part.at(kept - 1) == QLatin1Char(' '))
                --kept;
            part.truncate(kept);
            double w = (kept == l.textLength() ? l.naturalTextWidth()
                                               : l.cursorToX(int(l.textStart() + kept))) /
                       kMeasureScale;
            // A line that reaches its width may be a word running past it: the layout gives
            // no more than the width then, so the word is measured on its own.
            if (breaking && w >= width - 1e-3)
                w = textWidth(part, font);
            if (!breaking || w <= width + 1e-6) {
                lines.push_back({part, w});
                continue;
            }
            int limit = maxLines;
            if (oneLine)
                limit = int(lines.size()) + 1;
            bool leftOut = false;
            splitOverlongWord(part, metrics, width, lines, limit, leftOut);
            if (leftOut) {
                block.cut = true;
                if (!oneLine)
                    stop = true;
                break;
            }
        }
        layout.endLayout();
        if (!any && !stop && !full())
            lines.push_back({QString(), 0});
        if (stop)
            break;
    }

    for (const LaidLine& line : lines)
        block.width = std::max(block.width, line.width);
    const double boxWidth = width > 0 ? width : block.width;
    double y = 0;
    for (const LaidLine& line : lines) {
        if (!line.text.isEmpty()) {
            TextRun run;
            run.origin = QPointF(alignedX(line.width, boxWidth, options.alignment), y + asc);
            run.text = line.text;
            run.font = font;
            run.color = color;
            run.width = line.width;
            block.runs.push_back(run);
        }
        y += lineH;
    }
    block.height = y;
    block.lines = int(lines.size());
    return block;
}

TextBlock layoutPlainText(const QString& text, const FontSpec& font, const QColor& color,
                          double width, Qt::Alignment alignment, bool wrap) {
    TextLayoutOptions options;
    options.width = width;
    options.alignment = alignment;
    options.wrap = wrap;
    return layoutText(text, font, color, options);
}

TextBlock layoutRichText(const QString& html, const FontSpec& baseFontSpec, double width) {
    TextBlock block;
    QTextDocument doc;
    doc.setUseDesignMetrics(true);
    doc.documentLayout()->setPaintDevice(const_cast<QPaintDevice*>(measureDevice()));
    doc.setDefaultFont(baseFont(baseFontSpec));
    doc.setDocumentMargin(0);
    if (Qt::mightBeRichText(html))
        doc.setHtml(html);
    else
        doc.setPlainText(html);
    scaleIndents(doc);
    doc.setTextWidth(width > 0 ? width * kMeasureScale : -1);

    double maxRight = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextLayout* layout = b.layout();
        if (!layout)
            continue;
        const QPointF origin = doc.documentLayout()->blockBoundingRect(b).topLeft();
        if (layout->lineCount() > 0)
            addListMarker(b, layout->lineAt(0), origin, baseFontSpec, block);
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const int lineStart = line.textStart();
            const int lineEnd = lineStart + line.textLength();
            const double baseline = origin.y() + line.y() + line.ascent();
            maxRight = std::max(maxRight, origin.x() + line.x() + line.naturalTextWidth());
            for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (!fragment.isValid())
                    continue;
                const int fStart = fragment.position() - b.position();
                const int fEnd = fStart + fragment.length();
                const int start = std::max(fStart, lineStart);
                const int end = std::min(fEnd, lineEnd);
                if (start >= end)
                    continue;
                QString text = b.text().mid(start, end - start);
                text.replace(QChar::LineSeparator, QLatin1Char(' '));
                text.replace(QChar::Nbsp, QLatin1Char(' '));
                if (text.trimmed().isEmpty())
                    continue;
                const QTextCharFormat format = fragment.charFormat();
                TextRun run;
                run.font = runFont(format, baseFontSpec);
                const double x1 = line.cursorToX(start);
                const double x2 = line.cursorToX(end);
                run.origin = QPointF((origin.x() + x1) / kMeasureScale, baseline / kMeasureScale);
                run.width = (x2 - x1) / kMeasureScale;
                run.text = text;
                run.color = format.hasProperty(QTextFormat::ForegroundBrush)
                                ? format.foreground().color()
                                : QColor(Qt::black);
                block.runs.push_back(run);
            }
        }
    }
    block.width = maxRight / kMeasureScale;
    block.height = doc.documentLayout()->documentSize().height() / kMeasureScale;
    return block;
}

} // namespace report
