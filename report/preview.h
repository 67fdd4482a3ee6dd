#pragma once

#include "report/prepared.h"
#include "ui/form.h"

#include <QWidget>

class QLabel;
class QPrinter;
class QScrollArea;

namespace report {

class Report;

// Prints prepared pages on a printer that is set up already, with the printer's copy count
// (made by hand where the printer cannot make copies itself). Returns false when the printer
// could not be started.
bool printPages(const PreparedDocument& document, QPrinter& printer);

// Offers the print dialog with the report's number of copies; when confirmed, prints the
// pages and runs the report's after-print event. Returns whether pages were printed.
bool printPrepared(Report& report, const PreparedDocument& document, QWidget* parent);
// Prepares the report and prints it the same way, without a preview.
bool printReport(Report& report, QWidget* parent);

// Shows one page at a zoom.
class PageView : public QWidget {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);
    void setPage(const PreparedPage* page, double zoom);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double scale() const;
    const PreparedPage* m_page = nullptr;
    double m_zoom = 1.0;
};

// The print preview: page navigation, zoom and a print button. Closing it prints nothing.
class PreviewWindow : public ui::Form {
    Q_OBJECT
public:
    PreviewWindow(QWidget* owner, Report& report, PreparedDocument document);

    const PreparedDocument& document() const { return m_document; }
    int currentPage() const { return m_page; } // from 1; 0 when there are no pages
    double zoom() const { return m_zoom; }     // 1.0 is the paper's own size
    // Whether the pages were printed from this preview.
    bool printed() const { return m_printed; }

public slots:
    void showPage(int number);
    void btnFirstClick() { showPage(1); }
    void btnPriorClick() { showPage(m_page - 1); }
    void btnNextClick() { showPage(m_page + 1); }
    void btnLastClick() { showPage(m_document.pageCount()); }
    void setZoom(double zoom);
    void btnZoomInClick() { setZoom(m_zoom * 1.25); }
    void btnZoomOutClick() { setZoom(m_zoom / 1.25); }
    void btnWholePageClick();
    void btnPageWidthClick();
    void btnPrintClick();

private:
    void updateControls();

    Report& m_report;
    PreparedDocument m_document;
    int m_page = 0;
    double m_zoom = 1.0;
    bool m_printed = false;
    PageView* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_pageLabel = nullptr;
};

// Prepares the report and shows its pages in the preview, modally (maximised when the report
// asks for it); printing happens from there.
void previewReport(Report& report, QWidget* owner);

} // namespace report
