#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QString>

#include <vector>

// Device-independent text measurement. Every width, line break and baseline of a report is
// computed here, once, in layout units with unhinted font metrics, so that the same caption
// has the same width on every machine and every output (screen, printer, PDF) draws the text
// at the same places.
namespace report {

// Text is measured on a device of this many dots per layout unit (576 dots per inch), so that
// rounding inside the font engine stays far below what a page can show; painters draw text at
// the same pixel size to advance exactly as it was measured.
inline constexpr double kTextMeasureScale = 5.0;

struct FontSpec {
    QString family = QStringLiteral("Arial");
    double size = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const FontSpec&) const = default;
    // "Arial 10 bold italic"
    QString describe() const;
};

// The font family actually used for a family name ("Arial" resolves to Liberation Sans, whose
// metrics are Arial's).
QString resolveFamily(const QString& family);
// A QFont for drawing at the given device resolution (dots per inch) under a painter that maps
// layout units to device pixels: its size in user space is the font's size in layout units.
QFont deviceFont(const FontSpec& fontSpec, double deviceDpi);
FontSpec fontSpecFrom(const QFont& font);

// One piece of text drawn with one font at a baseline position (layout units, relative to the
// element's top-left corner until it is placed on a page).
struct TextRun {
    QPointF origin; // left end of the baseline
    QString text;
    FontSpec font;
    QColor color = Qt::black;
    double width = 0; // advance width of the text
};

struct TextBlock {
    std::vector<TextRun> runs;
    double width = 0;  // widest line
    double height = 0; // all lines
    int lines = 0;
    bool cut = false; // part of the text was left out to fit
};

// The size in points the font is measured (and so must be drawn) at: the font engine takes
// whole pixels of the measuring device, which makes sizes steps of an eighth of a point.
double measuredFontSize(const FontSpec& font);

// Width of a single line of text (no wrapping; line breaks end the measured text).
double textWidth(const QString& text, const FontSpec& font);
// Where each character of a single line of text starts, from the line's start: one entry per
// character and a last one for the end of the line.
std::vector<double> caretPositions(const QString& text, const FontSpec& font);
// Height of one line of text in the font (ascent + descent).
double lineHeight(const FontSpec& font);
double ascent(const FontSpec& font);

// How a text is fitted into its place.
struct TextLayoutOptions {
    double width = 0; // 0 or less: the text's own width
    Qt::Alignment alignment = Qt::AlignLeft;
    // Lines break at word boundaries within the width; a word longer than the width is broken
    // between two characters.
    bool wrap = false;
    // A line wider than the width is cut after the last word that fits (a single word longer
    // than the width after the last character that fits); what follows is left out.
    bool cut = false;
    // At most this many lines are laid out (0: all); the rest of the text is left out.
    int maxLines = 0;
};

// Lays out plain text: lines are split at line breaks and, when wrapping, within the width.
// Each line is placed by the horizontal alignment within the width. The work is linear in the
// length of the text, however long its words are.
TextBlock layoutText(const QString& text, const FontSpec& font, const QColor& color,
                     const TextLayoutOptions& options);
// The same with wrapping on or off and nothing cut.
TextBlock layoutPlainText(const QString& text, const FontSpec& font, const QColor& color,
                          double width, Qt::Alignment alignment, bool wrap);

// Lays out Qt rich text (HTML subset) within the width; the base font applies where the text
// gives none.
TextBlock layoutRichText(const QString& html, const FontSpec& baseFont, double width);

} // namespace report
