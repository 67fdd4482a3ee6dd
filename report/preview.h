#pragma once

#include "report/prepared.h"
#include "ui/form.h"

#include <QWidget>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QPrinter;
class QScrollArea;
class QSpinBox;
class TgtPDFEngine;

namespace report {

class Report;

// Prints prepared pages on a printer that is set up already. The copies the printer was
// given are sent as that many copies of the pages in one job (collated unless the printer
// says otherwise, with a blank back page between copies on two-sided printing where a copy
// ends on a front page), so that every printer, whatever its driver does with a copy count,
// receives them all. Returns false when the printer could not be started.
bool printPages(const PreparedDocument& document, QPrinter& printer);

// The order pages go to the printer for that many copies: copy after copy (collated) or each
// page that many times; -1 stands for the blank page that makes each copy of an odd number of
// pages start on a sheet of its own on two-sided paper.
std::vector<int> printOrder(int pages, int copies, bool collate, bool twoSided);

// Offers the print dialog with the report's number of copies; when confirmed, prints the
// pages and runs the report's after-print event. Returns whether pages were printed.
bool printPrepared(Report& report, const PreparedDocument& document, QWidget* parent);
// Prepares the report and prints it the same way, without a preview.
bool printReport(Report& report, QWidget* parent);

// What a report adds to its preview.
struct PreviewOptions {
    // The file name proposed by "Save as PDF" (a name, or a path); empty: the report's title.
    QString pdfFileName;
    // Sets the PDF writer up before the pages are written (the file name, the setup dialog and
    // opening the file afterwards are the preview's); empty: the writer's defaults.
    std::function<void(TgtPDFEngine& engine)> setupPdfEngine;
    // Told of every PDF file written from the preview.
    std::function<void(const QString& file)> pdfSaved;
};

// Shows one page at a zoom.
class PageView : public QWidget {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);
    void setPage(const PreparedPage* page, double zoom);
    QSize sizeHint() const override;

signals:
    // Ctrl and the wheel: up (positive) or down.
    void zoomWheel(int steps);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    double scale() const;
    const PreparedPage* m_page = nullptr;
    double m_zoom = 1.0;
};

// The print preview: opens maximised on the screen of its owner, with page navigation (also
// Page Up, Page Down, Home and End), the page count, zoom (a choice of sizes, whole page, page
// width, Ctrl with + and - or the wheel), "Print" and "Save as PDF". Closing it prints nothing.
class PreviewWindow : public ui::Form {
    Q_OBJECT
public:
    PreviewWindow(QWidget* owner, Report& report, PreparedDocument document,
                  PreviewOptions options = {});

    const PreparedDocument& document() const { return m_document; }
    int currentPage() const { return m_page; } // from 1; 0 when there are no pages
    double zoom() const { return m_zoom; }     // 1.0 is the paper's own size
    // Whether the pages were printed from this preview.
    bool printed() const { return m_printed; }
    // The PDF files written from this preview.
    const QStringList& savedPdfFiles() const { return m_savedPdf; }

public slots:
    void showPage(int number);
    void btnFirstClick() { showPage(1); }
    void btnPriorClick() { showPage(m_page - 1); }
    void btnNextClick() { showPage(m_page + 1); }
    void btnLastClick() { showPage(m_document.pageCount()); }
    void setZoom(double zoom);
    void btnZoomInClick();
    void btnZoomOutClick();
    void btnWholePageClick();
    void btnPageWidthClick();
    void btnPrintClick();
    void btnSavePdfClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateControls();
    void zoomChosen(int index);
    QSizeF pageOnScreen() const; // the first page at 100 %, in pixels

    Report& m_report;
    PreparedDocument m_document;
    PreviewOptions m_options;
    int m_page = 0;
    double m_zoom = 1.0;
    bool m_printed = false;
    bool m_fitted = false;
    bool m_freeZoomItem = false;
    QStringList m_savedPdf;
    PageView* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_pageLabel = nullptr;
    QSpinBox* m_pageBox = nullptr;
    QComboBox* m_zoomBox = nullptr;
};

// Prepares the report and shows its pages in the preview, modally; printing and saving as
// PDF happen from there.
void previewReport(Report& report, QWidget* owner, PreviewOptions options = {});

} // namespace report
