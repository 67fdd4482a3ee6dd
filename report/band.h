#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace report {

class Element;
class Report;

enum class BandKind {
    Title,        // once, at the top of the first page
    PageHeader,   // at the top of every page (the first one by the report's option)
    ColumnHeader, // below the title or page header on every page
    Detail,       // once for each record of the data source
    SubDetail,    // after the detail band of each record, in the order created
    Summary,      // once, after the last record
    PageFooter,   // at the bottom of every page (the last one by the report's option)
    Overlay       // not a band on paper: its elements are placed on every page at page
                  // coordinates, where they stand when the page is finished
};

QString bandKindName(BandKind kind);

// A band of a report. Its objectName is its given name; its elements are its children.
class Band : public QObject {
    Q_OBJECT
public:
    Band(Report* report, BandKind kind, const QString& name);

    Report* report() const;
    BandKind kind() const { return m_kind; }

    double height() const { return m_height; }
    void setHeight(double height) { m_height = height < 0 ? 0 : height; }
    // The width of the printable area of the page, and the band's distance from the paper's
    // left edge (the left margin), both in layout units.
    double width() const;
    double left() const;

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    // Where on the page a body band (detail, sub-detail, summary) must end, in layout units
    // from the paper's top; a band that would end lower goes on the next page. 0 leaves the
    // page's own limit (above the footer and the bottom margin), which holds in any case.
    double printLimit() const { return m_printLimit; }
    void setPrintLimit(double y) { m_printLimit = y < 0 ? 0 : y; }

    // Background colour; an invalid colour leaves the band transparent.
    QColor color() const { return m_color; }
    void setColor(const QColor& color) { m_color = color; }

    QList<Element*> elements() const;

    // Runs before each printing of an enabled band. Setting print to false skips the band
    // this once; switching the band off skips it until it is switched on again.
    std::function<void(Band& band, bool& print)> onBeforePrint;
    // Runs after each chance to print, with whether the band was printed.
    std::function<void(Band& band, bool printed)> onAfterPrint;

private:
    BandKind m_kind;
    double m_height = 0;
    bool m_enabled = true;
    double m_printLimit = 0;
    QColor m_color;
};

} // namespace report
