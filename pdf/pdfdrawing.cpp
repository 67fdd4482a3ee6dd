#include "pdfdocument.h"

#include "logging.h"

#include <QBuffer>
#include <QCryptographicHash>

using namespace pdf;
using namespace std::string_view_literals;

namespace {

// Content fingerprint of a picture, so that the same logo drawn on every page is stored once.
QByteArray imageFingerprint(const QImage& image) {
    QCryptographicHash hash(QCryptographicHash::Md5);
    const int w = image.width(), h = image.height(), format = int(image.format());
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&w), sizeof w));
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&h), sizeof h));
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&format), sizeof format));
    const qsizetype lineBytes = (qsizetype(w) * image.depth() + 7) / 8;
    for (int y = 0; y < h; ++y)
        hash.addData(
            QByteArrayView(reinterpret_cast<const char*>(image.constScanLine(y)), lineBytes));
    return hash.result();
}

// The picture as 8-bit RGB, transparent parts laid over white as a printed page shows them.
QImage flattenedRgb(const QImage& image) {
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB888);
    QImage rgb(image.size(), QImage::Format_RGB888);
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    if (rgb.isNull() || argb.isNull())
        return {};
    for (int y = 0; y < argb.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* dst = rgb.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(src[x]);
            dst[x * 3] = uchar((qRed(src[x]) * a + 255 * (255 - a)) / 255);
            dst[x * 3 + 1] = uchar((qGreen(src[x]) * a + 255 * (255 - a)) / 255);
            dst[x * 3 + 2] = uchar((qBlue(src[x]) * a + 255 * (255 - a)) / 255);
        }
    }
    return rgb;
}

QByteArray rgbSamples(const QImage& image) {
    const QImage rgb = flattenedRgb(image);
    if (rgb.isNull())
        return {};
    QByteArray samples;
    const qsizetype lineBytes = qsizetype(rgb.width()) * 3;
    samples.reserve(lineBytes * rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        samples.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), lineBytes);
    return samples;
}

QPolygonF boundsOf(const QRectF& rect) {
    return QPolygonF{rect.topLeft(), rect.bottomRight()};
}

} // namespace

bool TgtCustomPDFEngine::acceptGeometry(const QPolygonF& points, std::initializer_list<double> more,
                                        const char* element) {
    bool finite = true;
    for (const QPointF& p : points)
        finite = finite && std::isfinite(p.x()) && std::isfinite(p.y());
    for (const double value : more)
        finite = finite && std::isfinite(value);
    if (!finite)
        report(QObject::tr("The %1 was left out: its position or size is not a number.")
                   .arg(QLatin1String(element)));
    return finite;
}

// ---- Shapes ----

void TgtCustomPDFEngine::drawLine(const QPointF& from, const QPointF& to, const QPen& pen) {
    if (!isPageOpen() || pen.style() == Qt::NoPen ||
        !acceptGeometry({from, to}, {pen.widthF()}, "line"))
        return;
    Document& d = *m_doc;
    Emitter e(d.content, 256);
    const Document::PaintOps ops = d.beginShape(e, pen, Qt::NoBrush);
    d.point(e, from.x(), from.y());
    e << "m ";
    d.point(e, to.x(), to.y());
    e << "l ";
    Document::endShape(e, ops, false);
}

void TgtCustomPDFEngine::drawRect(const QRectF& rect, const QPen& pen, const QBrush& brush) {
    if (!isPageOpen() || !acceptGeometry(boundsOf(rect), {pen.widthF()}, "rectangle"))
        return;
    Document& d = *m_doc;
    const QRectF r = rect.normalized();
    Emitter e(d.content, 256);
    const Document::PaintOps ops = d.beginShape(e, pen, brush);
    d.point(e, r.left(), r.bottom());
    e.number(r.width() * d.xScale).blank().number(r.height() * d.yScale) << " re ";
    Document::endShape(e, ops, true);
}

void TgtCustomPDFEngine::paintPath(const std::string& path, const QPen& pen, const QBrush& brush,
                                   bool closed) {
    Document& d = *m_doc;
    Emitter e(d.content, 256 + path.size());
    const Document::PaintOps ops = d.beginShape(e, pen, closed ? brush : QBrush(Qt::NoBrush));
    e.raw(path);
    Document::endShape(e, ops, closed);
}

void TgtCustomPDFEngine::drawRoundRect(const QRectF& rect, double xRadius, double yRadius,
                                       const QPen& pen, const QBrush& brush) {
    if (!isPageOpen() ||
        !acceptGeometry(boundsOf(rect), {xRadius, yRadius, pen.widthF()}, "rounded rectangle"))
        return;
    const QRectF r = rect.normalized();
    if (xRadius <= 0 || yRadius <= 0) {
        drawRect(r, pen, brush);
        return;
    }
    const Document& d = *m_doc;
    const double left = d.x(r.left()), right = d.x(r.right());
    const double top = d.y(r.top()), bottom = d.y(r.bottom());
    const double rx = std::min(xRadius * d.xScale, (right - left) / 2);
    const double ry = std::min(yRadius * d.yScale, (top - bottom) / 2);
    std::string path;
    appendNumber(path, left + rx);
    path += ' ';
    appendNumber(path, bottom);
    path += " m\r\n";
    pdf::appendArc(path, right - rx, bottom + ry, rx, ry, 270, 90, false);
    pdf::appendArc(path, right - rx, top - ry, rx, ry, 0, 90, false);
    pdf::appendArc(path, left + rx, top - ry, rx, ry, 90, 90, false);
    pdf::appendArc(path, left + rx, bottom + ry, rx, ry, 180, 90, false);
    paintPath(path, pen, brush, true);
}

void TgtCustomPDFEngine::drawEllipse(const QRectF& rect, const QPen& pen, const QBrush& brush) {
    if (!isPageOpen() || !acceptGeometry(boundsOf(rect), {pen.widthF()}, "ellipse"))
        return;
    drawArcPath(rect, 0, 360, pen, brush, true);
}

void TgtCustomPDFEngine::drawArc(const QRectF& rect, double startAngle, double spanAngle,
                                 const QPen& pen) {
    if (!isPageOpen() || pen.style() == Qt::NoPen || spanAngle == 0 ||
        !acceptGeometry(boundsOf(rect), {startAngle, spanAngle, pen.widthF()}, "arc"))
        return;
    drawArcPath(rect, startAngle, spanAngle, pen, Qt::NoBrush, false);
}

void TgtCustomPDFEngine::drawArcPath(const QRectF& rect, double startAngle, double spanAngle,
                                     const QPen& pen, const QBrush& brush, bool closed) {
    if (!isPageOpen())
        return;
    const Document& d = *m_doc;
    const QRectF r = rect.normalized();
    std::string path;
    pdf::appendArc(path, d.x(r.center().x()), d.y(r.center().y()), r.width() / 2 * d.xScale,
                   r.height() / 2 * d.yScale, startAngle, spanAngle, true);
    paintPath(path, pen, brush, closed);
}

void TgtCustomPDFEngine::drawPolygon(const QPolygonF& points, const QPen& pen,
                                     const QBrush& brush) {
    drawPoints(points, pen, brush, true);
}

void TgtCustomPDFEngine::drawPolyline(const QPolygonF& points, const QPen& pen) {
    if (pen.style() == Qt::NoPen)
        return;
    drawPoints(points, pen, Qt::NoBrush, false);
}

void TgtCustomPDFEngine::drawPoints(const QPolygonF& points, const QPen& pen, const QBrush& brush,
                                    bool closed) {
    if (!isPageOpen() || points.size() < 2 ||
        !acceptGeometry(points, {pen.widthF()}, closed ? "polygon" : "polyline"))
        return;
    const Document& d = *m_doc;
    std::string path;
    for (qsizetype i = 0; i < points.size(); ++i) {
        appendNumber(path, d.x(points[i].x()));
        path += ' ';
        appendNumber(path, d.y(points[i].y()));
        path += i == 0 ? " m " : " l ";
    }
    paintPath(path, pen, brush, closed);
}

// ---- Clipping ----

void TgtCustomPDFEngine::setClip(const QRectF& rect) {
    if (!isPageOpen() || !acceptGeometry(boundsOf(rect), {}, "clipping rectangle"))
        return;
    Document& d = *m_doc;
    const QRectF r = rect.normalized();
    Emitter e(d.content, 128);
    if (d.clipOpen)
        e << "\r\nQ";
    e << "\r\nq ";
    d.point(e, r.left(), r.bottom());
    e.number(r.width() * d.xScale).blank().number(r.height() * d.yScale) << " re W n";
    d.clipOpen = true;
}

void TgtCustomPDFEngine::clearClip() {
    if (!isPageOpen() || !m_doc->clipOpen)
        return;
    Emitter e(m_doc->content, 8);
    e << "\r\nQ";
    m_doc->clipOpen = false;
}

// ---- Images ----

int TgtCustomPDFEngine::Document::writeImage(const QByteArray& name, const QImage& image,
                                             bool asJpeg) {
    QByteArray data;
    bool jpeg = false;
    if (asJpeg) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        jpeg = flattenedRgb(image).save(&buffer, "JPEG", 90);
        if (!jpeg) {
            qCWarning(lcPdf) << "JPEG writer unavailable, picture stored as raw samples";
            data.clear();
        }
    }
    if (!jpeg)
        data = rgbSamples(image);
    if (data.isEmpty())
        return 0;
    const int number = writer.allocate();
    const std::string_view stored = writer.prepareStream(
        number, std::string_view(data.constData(), size_t(data.size())), !jpeg);
    std::string head = "<</Type/XObject/Subtype/Image/Name/" + name.toStdString() + "/Width ";
    appendInteger(head, image.width());
    head += "/Height "sv;
    appendInteger(head, image.height());
    head += "/BitsPerComponent 8"sv;
    if (jpeg)
        head += "/Filter/DCTDecode"sv;
    else if (writer.compressing())
        head += "/Filter/FlateDecode"sv;
    head += "/ColorSpace/DeviceRGB/Length "sv;
    appendInteger(head, qint64(stored.size()));
    head += ">>\r\nstream\r\n"sv;
    writer.beginObject(number);
    writer.write(head);
    writer.write(stored);
    writer.write("\r\nendstream\r\nendobj\r\n");
    imagesUsed = true;
    return number;
}

void TgtCustomPDFEngine::drawImage(const QPointF& topLeft, const QImage& image) {
    const double dpi = positiveOr(ImageSettings.SourceDPI, 96.0);
    drawImage(
        QRectF(topLeft, QSizeF(image.width() / dpi * InputXRes, image.height() / dpi * InputYRes)),
        image);
}

void TgtCustomPDFEngine::drawImage(const QRectF& rect, const QImage& image) {
    if (!isPageOpen() || !acceptGeometry(boundsOf(rect), {}, "picture"))
        return;
    if (image.isNull() || image.format() == QImage::Format_Invalid) {
        report(QString::fromLatin1(kUnsupportedImage));
        return;
    }
    Document& d = *m_doc;
    QByteArray key;
    if (Preferences.UseImagesAsResources)
        key = imageFingerprint(image);
    auto found = key.isEmpty() ? d.images.end() : d.images.find(key);
    if (found == d.images.end()) {
        Document::ImageObject object;
        object.name =
            "Img" + QByteArray::number(d.pageNumber) + '_' + QByteArray::number(d.imagesOnPage);
        object.object = d.writeImage(object.name, image, ImageSettings.OutputImageFormat == ifJPEG);
        if (object.object == 0) {
            report(QString::fromLatin1(kUnsupportedImage));
            return;
        }
        ++d.imagesOnPage;
        d.imageList.push_back(object);
        if (key.isEmpty())
            key = QByteArray::number(object.object); // never found again
        found = d.images.insert(key, object);
    }
    const QRectF r = rect.normalized();
    Emitter e(d.content, 256);
    e << "\r\nq ";
    e.number(r.width() * d.xScale) << " 0 0 ";
    e.number(r.height() * d.yScale).blank();
    d.point(e, r.left(), r.bottom());
    e << "cm /";
    e.raw(std::string_view(found->name.constData(), size_t(found->name.size()))) << " Do Q";
}
