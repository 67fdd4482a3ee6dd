#pragma once

#include "einvoice/epcqr.h"

#include <QPainter>

// Header only, so that mrv_einvoice stays on Qt Core: whoever draws links Qt Gui anyway.
namespace einvoice {

// The symbol's side with its quiet zone, in the painter's units.
inline qreal qrExtent(const QrMatrix& matrix, qreal unit, int quietModules = 4) {
    return (matrix.size() + 2 * quietModules) * unit;
}

// Draws the symbol as filled rectangles, one per run of dark modules, on a white square
// that includes the quiet zone; topLeft is the square's corner.
inline void drawQrMatrix(QPainter& painter, const QrMatrix& matrix, QPointF topLeft, qreal unit,
                         int quietModules = 4) {
    if (matrix.isNull() || unit <= 0)
        return;
    painter.save();
    painter.setPen(Qt::NoPen);
    const qreal side = qrExtent(matrix, unit, quietModules);
    painter.fillRect(QRectF(topLeft, QSizeF(side, side)), Qt::white);
    painter.setBrush(Qt::black);
    const QPointF origin = topLeft + QPointF(quietModules * unit, quietModules * unit);
    for (const QRect& run : matrix.darkRuns())
        painter.drawRect(QRectF(origin.x() + run.x() * unit, origin.y() + run.y() * unit,
                                run.width() * unit, run.height() * unit));
    painter.restore();
}

} // namespace einvoice
