#pragma once

#include <QString>
#include <QStringList>

namespace report {
class Report;
}

// The bands and elements of the printed document, shared by the invoice print and the design
// test print: the same names, built-in captions and fixed sizes, before any design file or
// language is applied.
namespace printing {

// Builds every band and element of the invoice layout into an empty report and sets the
// report options the layout relies on.
void buildInvoiceLayout(report::Report& report);

// Fills the page footer's company elements from the service's company globals.
void fillCompanyFooter(report::Report& report);

// The footer band is 70 units high when VAT is used and 33 when it is not.
void setFooterHeight(report::Report& report, bool vat);

// Report height in layout units per millimetre of page length.
double pageScale(const report::Report& report);

// Places the item frame around the row area below a band of height bandHeight (the heading
// on the first page, the extra-pages band on later pages), from the service margins.
void placeItemFrame(report::Report& report, double bandHeight, double scale);

// The caption the date label takes for a document kind ("Date" for receipts, quotations,
// packing slips and delivery notes, "Invoice date" for credit invoices), or an empty text when
// the kind leaves it alone.
QString dateCaptionForKind(const QString& documentKind);

// Copies the page footer's company data into the heading (the moved footer), the totals' due
// date into the heading, and the title and number into the extra-pages band.
void copyHeadingValues(report::Report& report);
// Only the data of those copies: the company's name, address, city, phone, fax, VAT number
// caption and value, e-mail and bank, and the due date; captions and the extra-pages band
// keep their texts.
void copyHeadingData(report::Report& report);

// Names of the heading elements that copy the page footer (the moved footer).
QStringList movedFooterElements();

} // namespace printing
