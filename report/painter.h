#pragma once

#include "report/prepared.h"

#include <QImage>

class QPainter;

namespace report {

// What a device must do to show prepared pages. All coordinates are layout units from the
// paper's top-left corner; the preview, the printer and the PDF export each implement it, and
// renderPage decides what is drawn, so they all show the same thing.
class PagePainter {
public:
    virtual ~PagePainter() = default;
    virtual void beginPage(const PreparedPage& page) = 0;
    virtual void endPage() = 0;
    virtual void fillRect(const QRectF& rect, const QColor& color) = 0;
    // A rectangle outline; the pen is centred on the edges.
    virtual void strokeRect(const QRectF& rect, double penWidth, const QColor& color) = 0;
    virtual void drawImage(const QRectF& rect, const QImage& image) = 0;
    // Text from the left end of its baseline. Underline and strike-out are the font's.
    virtual void drawText(const TextRun& run) = 0;
    // Limits drawing to the rectangle until clearClip.
    virtual void setClip(const QRectF& rect) = 0;
    virtual void clearClip() = 0;
};

// Draws one prepared page through a painter (hidden elements are skipped).
void renderPage(const PreparedPage& page, PagePainter& painter);

// Draws through a QPainter onto any Qt device (widget, image, printer). The painter's own
// transformation is kept; scale maps layout units to device pixels, offset is where the
// page's corner goes.
class QtPagePainter : public PagePainter {
public:
    QtPagePainter(QPainter& painter, double scale, const QPointF& offset = QPointF());

    void beginPage(const PreparedPage& page) override;
    void endPage() override;
    void fillRect(const QRectF& rect, const QColor& color) override;
    void strokeRect(const QRectF& rect, double penWidth, const QColor& color) override;
    void drawImage(const QRectF& rect, const QImage& image) override;
    void drawText(const TextRun& run) override;
    void setClip(const QRectF& rect) override;
    void clearClip() override;

    // Whether pages get a white background first (on for screens and images).
    void setPaintBackground(bool on) { m_background = on; }

private:
    QPainter& m_painter;
    double m_scale;
    QPointF m_offset;
    double m_dpi;
    bool m_background = true;
};

// The page as an image at the given resolution (dots per inch of paper).
QImage renderPageImage(const PreparedPage& page, double dpi = 96);

} // namespace report
