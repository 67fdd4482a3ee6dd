#include "report/painter.h"

#include "report/units.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace report {

void renderPage(const PreparedPage& page, PagePainter& painter) {
    painter.beginPage(page);
    for (const PlacedElement& e : page.elements) {
        if (!e.visible)
            continue;
        switch (e.kind) {
        case PlacedKind::Band:
            if (e.background.isValid())
                painter.fillRect(e.rect, e.background);
            break;
        case PlacedKind::Shape:
            if (e.background.isValid())
                painter.fillRect(e.rect, e.background);
            if (e.penWidth > 0)
                painter.strokeRect(e.rect, e.penWidth, e.penColor);
            break;
        case PlacedKind::Picture:
            if (!e.picture.isNull())
                painter.drawImage(e.rect, e.picture);
            break;
        case PlacedKind::Matrix:
            if (e.cells.empty())
                break;
            painter.fillRect(e.rect, e.background.isValid() ? e.background : QColor(Qt::white));
            for (const QRectF& cell : e.cells)
                painter.fillRect(cell, Qt::black);
            break;
        default:
            if (e.background.isValid())
                painter.fillRect(e.rect, e.background);
            if (e.runs.empty())
                break;
            if (e.clip)
                painter.setClip(e.rect);
            for (const TextRun& run : e.runs)
                painter.drawText(run);
            if (e.clip)
                painter.clearClip();
            break;
        }
    }
    painter.endPage();
}

QtPagePainter::QtPagePainter(QPainter& painter, double scale, const QPointF& offset)
    : m_painter(painter)
    , m_scale(scale)
    , m_offset(offset) {
    const QPaintDevice* device = painter.device();
    m_dpi = device ? device->logicalDpiY() : 96;
    if (m_dpi <= 0)
        m_dpi = 96;
}

void QtPagePainter::beginPage(const PreparedPage& page) {
    m_painter.save();
    m_painter.translate(m_offset);
    m_painter.scale(m_scale, m_scale);
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (m_background)
        m_painter.fillRect(QRectF(QPointF(0, 0), page.size), Qt::white);
}

void QtPagePainter::endPage() {
    m_painter.restore();
}

void QtPagePainter::fillRect(const QRectF& rect, const QColor& color) {
    m_painter.fillRect(rect, color);
}

void QtPagePainter::strokeRect(const QRectF& rect, double penWidth, const QColor& color) {
    QPen pen(color);
    pen.setWidthF(penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter.save();
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(rect);
    m_painter.restore();
}

void QtPagePainter::drawImage(const QRectF& rect, const QImage& image) {
    m_painter.drawImage(rect, image);
}

void QtPagePainter::drawText(const TextRun& run) {
    // Drawn with the font at the pixel size the layout measured it at and the painter scaled
    // down to match, advancing by design widths: a font sized in layout units would be
    // rounded to whole pixels (16 points would become 26 units instead of 25.6) and long lines
    // would drift by points from where the layout, and the PDF, put them.
    const double scale = 1.0 / kTextMeasureScale;
    QTextLayout layout(run.text, deviceFont(run.font, m_dpi * scale), m_painter.device());
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return;
    m_painter.save();
    m_painter.translate(run.origin);
    m_painter.scale(scale, scale);
    m_painter.setPen(run.color);
    layout.draw(&m_painter, QPointF(0, -line.ascent()));
    m_painter.restore();
}

void QtPagePainter::setClip(const QRectF& rect) {
    m_painter.save();
    m_painter.setClipRect(rect, Qt::IntersectClip);
}

void QtPagePainter::clearClip() {
    m_painter.restore();
}

QImage renderPageImage(const PreparedPage& page, double dpi) {
    const double scale = dpi / kUnitsPerInch;
    const QSize size(qRound(page.size.width() * scale), qRound(page.size.height() * scale));
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    QtPagePainter pagePainter(painter, scale);
    renderPage(page, pagePainter);
    painter.end();
    return image;
}

} // namespace report
