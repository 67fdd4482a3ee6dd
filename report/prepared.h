#pragma once

#include "report/textlayout.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

// Prepared pages: the outcome of laying a report out, independent of any device. Preview,
// printer and PDF export all draw these same pages; tests read them.
namespace report {

enum class PlacedKind { Band, Label, DBText, Memo, RichText, Picture, Shape, SysData, Matrix };

QString placedKindName(PlacedKind kind);

struct PlacedElement {
    QString name;
    PlacedKind kind = PlacedKind::Label;
    QString band; // name of the band it was printed in
    QRectF rect;  // layout units from the paper's top-left corner
    bool visible = true;
    // Text elements: the text as printed, its font, colour and alignment, and the laid-out
    // runs (already placed on the page).
    QString text;
    FontSpec font;
    QColor color = Qt::black;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool clip = false; // the text is longer than the element and is cut at its edges
    std::vector<TextRun> runs;
    // Bands and elements with a background; shapes with a pen.
    QColor background; // invalid: transparent
    double penWidth = 0;
    QColor penColor = Qt::black;
    // Pictures (drawn stretched into rect) and rich text (as given, for inspection).
    QImage picture;
    QString richText;
    // Matrices: the dark modules as rectangles on the page (runs of a row joined), drawn on a
    // light background that fills rect.
    std::vector<QRectF> cells;
};

struct PreparedPage {
    int number = 0;
    QSizeF size; // layout units
    std::vector<PlacedElement> elements;

    // The first element of that name placed on the page, or nullptr.
    const PlacedElement* find(const QString& name) const;
};

enum class Orientation { Portrait, Landscape };
enum class PaperSize { A4, Letter };

struct PreparedDocument {
    QString title;
    Orientation orientation = Orientation::Portrait;
    PaperSize paperSize = PaperSize::A4;
    QSizeF pageSizeMm;
    int copies = 1;
    std::vector<PreparedPage> pages;

    int pageCount() const { return static_cast<int>(pages.size()); }
};

// The placed elements of every page as text, one line each, for golden files and test
// messages: page, name, kind, band, rectangle (rounded to 0.1 unit), visibility, font, text.
QString dumpPrepared(const PreparedDocument& document, bool includeHidden = true);

} // namespace report
