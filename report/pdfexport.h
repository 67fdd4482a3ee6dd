#pragma once

#include "pdf/pdfengine.h"
#include "report/exportfilter.h"
#include "report/painter.h"

#include <QString>
#include <QStringList>

#include <functional>

// The bridge from prepared pages to the PDF writer: the pages the preview shows are the pages
// the PDF holds, drawn through the same renderPage with the writer's primitives.
namespace report {

class Report;

// Draws prepared pages into an open PDF document: each page becomes one PDF page of the
// prepared page's size, layout units are turned into the engine's input dots, and every text
// run is written as text at its own baseline, so the file stays searchable and places each
// word where the preview does.
class PdfPagePainter : public PagePainter {
public:
    explicit PdfPagePainter(TgtCustomPDFEngine& engine);

    void beginPage(const PreparedPage& page) override;
    void endPage() override;
    void fillRect(const QRectF& rect, const QColor& color) override;
    void strokeRect(const QRectF& rect, double penWidth, const QColor& color) override;
    void drawImage(const QRectF& rect, const QImage& image) override;
    void drawText(const TextRun& run) override;
    void setClip(const QRectF& rect) override;
    void clearClip() override;

private:
    QRectF toInput(const QRectF& rect) const;

    TgtCustomPDFEngine& m_engine;
    double m_xScale; // input dots per layout unit
    double m_yScale;
};

// Connects a report to a PDF engine: lays the report out once and writes every page through the
// engine. DoBeginDoc and DoEndDoc decide whether the rendering opens and finishes the engine's
// document, so that several reports can go into one file (the first without DoEndDoc, the
// later ones without DoBeginDoc). The engine's file name and preferences are the caller's.
class TgtQRExportInterface : public ExportFilter {
public:
    TgtQRExportInterface() = default;
    explicit TgtQRExportInterface(TgtCustomPDFEngine* engine)
        : Engine(engine) {}

    TgtCustomPDFEngine* Engine = nullptr; // not owned
    bool DoBeginDoc = true;
    bool DoEndDoc = true;
    // There is no progress window; when switched on, the progress handler hears of each page.
    bool ShowProgress = false;
    // Whether Render keeps the laid-out pages in the report (Report::prepared()); without,
    // each page is written as soon as it is laid out and memory stays the same for any length.
    bool KeepPages = true;
    // Pages written by the last rendering.
    int pagesWritten() const { return m_pagesDone; }
    void setProgressHandler(std::function<void(int page, int pageCount)> handler) {
        m_progress = std::move(handler);
    }

    // Lays the report out and writes it. False when the document could not be begun (the
    // report is then not laid out and none of its events runs) or finished; errorString()
    // says why, in words a user can be shown.
    bool Render(Report& report);
    // Writes pages laid out already (such as those a preview shows).
    bool RenderPrepared(const PreparedDocument& document);

    QString errorString() const override { return m_error; }
    // Elements the writer had to leave out during the last rendering.
    QStringList warnings() const { return m_warnings; }

    // ExportFilter
    bool start() override;
    void exportPage(const PreparedDocument& document, const PreparedPage& page) override;
    bool finish(const PreparedDocument& document) override;

private:
    QString m_error;
    QStringList m_warnings;
    TgtCustomPDFEngine::PageSettings m_callerPage;
    int m_pagesDone = 0;
    std::function<void(int, int)> m_progress;
};

// The file a PDF is written to for a name the user chose: the name itself when it ends in
// ".pdf" (in any letter case), else the name with ".pdf" added, so that a dot inside a
// document number ("Invoice2026.01") never loses what follows it.
QString pdfFileNameFor(const QString& chosen);
// Points the engine at exactly that file, whatever its extension.
void setPdfTarget(TgtCustomPDFEngine& engine, const QString& file);

// Writes prepared pages (those a preview shows) into a PDF file of exactly that name, see
// pdfFileNameFor, through an engine the caller has set up. Returns false, with the reason in
// *error (naming the file), when the file could not be written; no file is left then.
bool writePdf(const PreparedDocument& document, TgtCustomPDFEngine& engine, const QString& file,
              QString* error = nullptr);

// The report engine's own PDF export filter: created with a file name and handed to
// Report::exportToFilter, it writes the report to exactly that file through the PDF writer,
// opening nothing afterwards.
class TQRPDFDocumentFilter : public ExportFilter {
public:
    explicit TQRPDFDocumentFilter(const QString& fileName);

    QString fileName() const { return m_fileName; }
    // The writer, for settings such as the document information or compression.
    TgtCustomPDFEngine& engine() { return m_engine; }
    QStringList warnings() const { return m_bridge.warnings(); }

    bool start() override { return m_bridge.start(); }
    void exportPage(const PreparedDocument& document, const PreparedPage& page) override {
        m_bridge.exportPage(document, page);
    }
    bool finish(const PreparedDocument& document) override { return m_bridge.finish(document); }
    QString errorString() const override { return m_bridge.errorString(); }

private:
    QString m_fileName;
    TgtCustomPDFEngine m_engine;
    TgtQRExportInterface m_bridge;
};

} // namespace report
