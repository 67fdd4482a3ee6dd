#pragma once

#include "report/band.h"
#include "report/elements.h"
#include "report/report.h"

#include <Qt>

// What the customer module's printed lists share: the page set up from the service globals,
// the title band (logotype, title, company name, date, an optional rule at its bottom), the
// page footer with the page number, and texts placed in a box of their own.
namespace customers::print {

// Letter in the US, A4 elsewhere; the margins of the company's setup; printed even when empty.
void setUpPage(report::Report& report, report::Orientation orientation);

// The title band of the first page; the company name is the label "lbForetagsNamn".
report::Band* addTitleBand(report::Report& report, const QString& title, bool ruled);

// The page footer with the page number.
report::Band* addPageFooter(report::Report& report);

double lineHeightOf(const report::TextElement* element);

// A one-line text in a box of its own, aligned inside it.
template <typename T>
T* place(T* element, double left, double top, double width,
         Qt::Alignment alignment = Qt::AlignLeft) {
    element->setAutoSize(false);
    element->setAlignment(alignment);
    element->setGeometry(left, top, width, lineHeightOf(element));
    return element;
}
// A caption (bold) and a data-bound value beside it, as the block lists print them.
report::DBText* captionAndValue(report::Band* band, const QString& stem, const QString& caption,
                                const QString& field, double left, double top, double captionWidth,
                                double valueWidth);

// A black rule across the band at that height.
void rule(report::Band* band, const QString& name, double top);

} // namespace customers::print
