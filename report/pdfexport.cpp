#include "report/pdfexport.h"

#include "report/logging.h"
#include "report/report.h"
#include "report/units.h"

#include <QObject>

namespace report {

// ---- PdfPagePainter ----------------------------------------------------------------------

PdfPagePainter::PdfPagePainter(TgtCustomPDFEngine& engine)
    : m_engine(engine)
    , m_xScale((engine.InputXRes > 0 ? engine.InputXRes : 96.0) / kUnitsPerInch)
    , m_yScale((engine.InputYRes > 0 ? engine.InputYRes : 96.0) / kUnitsPerInch) {}

QRectF PdfPagePainter::toInput(const QRectF& rect) const {
    return QRectF(rect.x() * m_xScale, rect.y() * m_yScale, rect.width() * m_xScale,
                  rect.height() * m_yScale);
}

void PdfPagePainter::beginPage(const PreparedPage& page) {
    // The paper of the report, as oriented, whatever the engine was set up with.
    m_engine.Page.Width = page.size.width() / kUnitsPerInch;
    m_engine.Page.Height = page.size.height() / kUnitsPerInch;
    m_engine.beginPage();
}

void PdfPagePainter::endPage() {
    m_engine.endPage();
}

void PdfPagePainter::fillRect(const QRectF& rect, const QColor& color) {
    m_engine.drawRect(toInput(rect), Qt::NoPen, QBrush(color));
}

void PdfPagePainter::strokeRect(const QRectF& rect, double penWidth, const QColor& color) {
    QPen pen(color);
    pen.setWidthF(penWidth * m_xScale);
    const QRectF r = toInput(rect);
    // A rectangle without height or width is a rule.
    if (r.height() == 0 || r.width() == 0)
        m_engine.drawLine(r.topLeft(), r.bottomRight(), pen);
    else
        m_engine.drawRect(r, pen, Qt::NoBrush);
}

void PdfPagePainter::drawImage(const QRectF& rect, const QImage& image) {
    m_engine.drawImage(toInput(rect), image);
}

void PdfPagePainter::drawText(const TextRun& run) {
    TgtCustomPDFEngine::TextItem item;
    // The family and size the layout measured with, so that the widths in the file are those
    // the line breaks and alignments were computed from.
    item.fontName = resolveFamily(run.font.family);
    item.fontSize = measuredFontSize(run.font);
    item.bold = run.font.bold;
    item.italic = run.font.italic;
    item.underline = run.font.underline;
    item.strikeOut = run.font.strikeOut;
    item.color = run.color;
    item.alignment = Qt::AlignLeft;
    // The engine puts the baseline one font size below the top of the item.
    const double size = item.fontSize * (m_yScale * kUnitsPerInch) / 72.0;
    const double top = run.origin.y() * m_yScale - size;

    // Each word (with the blanks after it, so that underlines stay unbroken) is placed where
    // the layout put it: the font's widths in the file are rounded to thousandths of the size,
    // and over a long line that would move the last words by a tenth of a point.
    const std::vector<double> carets = caretPositions(run.text, run.font);
    const qsizetype length = run.text.size();
    qsizetype start = 0;
    while (start < length) {
        qsizetype end = start;
        while (end < length && run.text.at(end).isSpace())
            ++end;
        while (end < length && !run.text.at(end).isSpace())
            ++end;
        while (end < length && run.text.at(end).isSpace())
            ++end;
        item.text = run.text.mid(start, end - start);
        const double left = run.origin.x() + carets[size_t(start)];
        item.rect = QRectF(left * m_xScale, top,
                           (carets[size_t(end)] - carets[size_t(start)]) * m_xScale, size);
        m_engine.drawText(item);
        start = end;
    }
}

void PdfPagePainter::setClip(const QRectF& rect) {
    m_engine.setClip(toInput(rect));
}

void PdfPagePainter::clearClip() {
    m_engine.clearClip();
}

// ---- TgtQRExportInterface ----------------------------------------------------------------

bool TgtQRExportInterface::Render(Report& report) {
    return report.exportToFilter(*this, KeepPages);
}

bool TgtQRExportInterface::RenderPrepared(const PreparedDocument& document) {
    if (!start())
        return false;
    for (const PreparedPage& page : document.pages)
        exportPage(document, page);
    return finish(document);
}

bool TgtQRExportInterface::start() {
    m_error.clear();
    m_warnings.clear();
    m_pagesDone = 0;
    if (!Engine) {
        m_error = QObject::tr("No PDF engine is connected to the export.");
        return false;
    }
    if (DoBeginDoc) {
        if (!Engine->beginDoc()) {
            m_error = Engine->errorString();
            return false;
        }
    } else if (!Engine->isDocumentOpen()) {
        m_error = QObject::tr("No PDF document is open to add the report to.");
        return false;
    }
    m_callerPage = Engine->Page;
    return true;
}

void TgtQRExportInterface::exportPage(const PreparedDocument& document, const PreparedPage& page) {
    if (!Engine || !Engine->isDocumentOpen())
        return;
    PdfPagePainter painter(*Engine);
    renderPage(page, painter);
    ++m_pagesDone;
    if (ShowProgress && m_progress)
        m_progress(m_pagesDone, document.pageCount());
}

bool TgtQRExportInterface::finish(const PreparedDocument&) {
    if (!Engine)
        return false;
    Engine->Page = m_callerPage;
    bool ok = true;
    if (DoEndDoc) {
        ok = Engine->endDoc();
        if (!ok)
            m_error = Engine->errorString();
    }
    m_warnings = Engine->warnings();
    for (const QString& warning : std::as_const(m_warnings))
        qCWarning(lcReport) << "PDF export:" << warning;
    return ok;
}

QString pdfFileNameFor(const QString& chosen) {
    if (chosen.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return chosen;
    return chosen + QStringLiteral(".pdf");
}

void setPdfTarget(TgtCustomPDFEngine& engine, const QString& file) {
    // The engine replaces a file name's extension by its own: it is given the file's own.
    engine.FileExtension = TgtCustomPDFEngine::fileExtension(file);
    engine.setFileName(file);
}

bool writePdf(const PreparedDocument& document, TgtCustomPDFEngine& engine, const QString& file,
              QString* error) {
    setPdfTarget(engine, pdfFileNameFor(file));
    engine.Preferences.ShowSetupDialog = false;
    TgtQRExportInterface bridge(&engine);
    if (bridge.RenderPrepared(document))
        return true;
    if (error)
        *error = bridge.errorString();
    return false;
}

// ---- TQRPDFDocumentFilter ----------------------------------------------------------------

TQRPDFDocumentFilter::TQRPDFDocumentFilter(const QString& fileName)
    : m_fileName(fileName)
    , m_bridge(&m_engine) {
    // The filter writes the name it was given, so that the caller opens the file it named.
    setPdfTarget(m_engine, fileName);
    m_engine.Preferences.ShowSetupDialog = false;
    m_engine.Preferences.OpenAfterCreate = false;
}

} // namespace report
