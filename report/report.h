#pragma once

#include "report/band.h"
#include "report/elements.h"
#include "report/prepared.h"

#include <QDate>
#include <QObject>
#include <QSizeF>

#include <functional>
#include <memory>

namespace report {

class DataSource;
class ExportFilter;
class Layouter;

// A banded report: page set-up, bands with their elements, a data source, options and events.
// prepare() lays it out into device-independent pages; showing and printing them is the
// business of the preview and the painters.
class Report : public QObject {
    Q_OBJECT
public:
    explicit Report(QObject* parent = nullptr, const QString& name = QString());
    ~Report() override;

    // ---- Page set-up --------------------------------------------------------------------
    Orientation orientation() const { return m_orientation; }
    void setOrientation(Orientation orientation) { m_orientation = orientation; }
    PaperSize paperSize() const { return m_paperSize; }
    void setPaperSize(PaperSize size) { m_paperSize = size; }
    // Margins in millimetres.
    double leftMargin() const { return m_leftMargin; }
    double rightMargin() const { return m_rightMargin; }
    double topMargin() const { return m_topMargin; }
    double bottomMargin() const { return m_bottomMargin; }
    void setLeftMargin(double mm) { m_leftMargin = mm; }
    void setRightMargin(double mm) { m_rightMargin = mm; }
    void setTopMargin(double mm) { m_topMargin = mm; }
    void setBottomMargin(double mm) { m_bottomMargin = mm; }

    // Paper size in millimetres, as oriented.
    QSizeF pageSizeMm() const;
    double pageLength() const { return pageSizeMm().height(); }
    // The page in layout units; its height is the "report height".
    QSizeF pageSizeUnits() const;
    double pageHeightUnits() const { return pageSizeUnits().height(); }
    // Width of the bands: the page less the left and right margins.
    double bandWidth() const;

    // ---- Options ------------------------------------------------------------------------
    bool pageHeaderOnFirstPage() const { return m_pageHeaderOnFirstPage; }
    void setPageHeaderOnFirstPage(bool on) { m_pageHeaderOnFirstPage = on; }
    bool pageFooterOnLastPage() const { return m_pageFooterOnLastPage; }
    void setPageFooterOnLastPage(bool on) { m_pageFooterOnLastPage = on; }
    // Whether a report without records still prints its other bands.
    bool printIfEmpty() const { return m_printIfEmpty; }
    void setPrintIfEmpty(bool on) { m_printIfEmpty = on; }
    int copies() const { return m_copies; }
    void setCopies(int copies) { m_copies = copies < 1 ? 1 : copies; }
    bool previewMaximized() const { return m_previewMaximized; }
    void setPreviewMaximized(bool on) { m_previewMaximized = on; }
    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    // The date date elements print (today unless set).
    QDate printDate() const { return m_printDate.isValid() ? m_printDate : QDate::currentDate(); }
    void setPrintDate(const QDate& date) { m_printDate = date; }

    // ---- Bands and data -----------------------------------------------------------------
    // Creates a band of the report (owned by it).
    Band* addBand(BandKind kind, const QString& name, double height = 0);
    // The first band of a kind, or nullptr.
    Band* band(BandKind kind) const;
    QList<Band*> bands() const;
    // The band holding the page elements (created on first use).
    Band* overlay();

    // Any element of the report by name, or nullptr.
    Element* element(const QString& name) const;
    template <typename T>
    T* element(const QString& name) const {
        return qobject_cast<T*>(element(name));
    }
    Band* bandNamed(const QString& name) const;

    DataSource* dataSource() const { return m_dataSource; }
    // The source is not owned; it must live while the report is prepared.
    void setDataSource(DataSource* source) { m_dataSource = source; }

    // ---- Events -------------------------------------------------------------------------
    // Once when a preparation starts; print = false produces no pages.
    std::function<void(Report& report, bool& print)> onBeforePrint;
    // Only when the prepared pages were really sent to a printer.
    std::function<void(Report& report)> onAfterPrint;
    void notifyPrinted();

    // ---- Laying out ---------------------------------------------------------------------
    // Lays the report out into pages, running the events. Never shows anything.
    PreparedDocument prepare();
    // The pages of the last preparation.
    const PreparedDocument& prepared() const { return m_prepared; }
    // Lays the report out once and hands every page to the filter. When the filter cannot
    // start, nothing is laid out and false is returned; the filter's errorString says why.
    // The after-print event does not run: an export is not a print. Without keepPages each
    // page goes to the filter as soon as it is laid out and is not kept (prepared() then holds
    // no pages), so that memory does not grow with the length of the report.
    bool exportToFilter(ExportFilter& filter, bool keepPages = true);

    // While preparing: the page being filled (from 1), the vertical print position in
    // millimetres from the top of the paper, and a request to go on in a new column, which
    // with one column is a new page (taken before the band whose event asked for it).
    bool isPreparing() const { return m_layouter != nullptr; }
    int pageNumber() const;
    double currentY() const;
    void newColumn();
    // The height the band takes for the current record as it would print now, grown by its
    // stretching texts (and, while preparing, at most a page of its own).
    double bandHeight(Band* band) const;

private:
    friend class Layouter;

    Orientation m_orientation = Orientation::Portrait;
    PaperSize m_paperSize = PaperSize::A4;
    double m_leftMargin = 20;
    double m_rightMargin = 10;
    double m_topMargin = 20;
    double m_bottomMargin = 15;
    bool m_pageHeaderOnFirstPage = true;
    bool m_pageFooterOnLastPage = true;
    bool m_printIfEmpty = true;
    bool m_previewMaximized = false;
    int m_copies = 1;
    QString m_title;
    QDate m_printDate;
    DataSource* m_dataSource = nullptr;
    Band* m_overlay = nullptr;
    Layouter* m_layouter = nullptr;
    PreparedDocument m_prepared;
};

} // namespace report
