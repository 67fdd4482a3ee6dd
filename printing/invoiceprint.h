#pragma once

#include "einvoice/epcqr.h"
#include "report/prepared.h"
#include "service/currency.h"

#include <QHash>
#include <QRectF>
#include <QString>

namespace report {
class DataSource;
class Report;
} // namespace report

// The rules by which the printed document adapts itself when it is printed: to the document
// kind, the company data and switches, and the rows, and row by row to the page. Kept apart
// from the report window so that they can be tried without one.
namespace printing {

// The on/off state the design gave the captions whose printing also depends on the data
// (phone, fax, VAT number, bank, references, the customer's VAT number), captured once the
// design is applied: data can only switch off what the design prints.
class DesignStates {
public:
    static DesignStates capture(const report::Report& report);
    bool enabled(const QString& name) const { return m_enabled.value(name, true); }

private:
    QHash<QString, bool> m_enabled;
};

// What the rows hold, read through any data source: the stored value where the source has one
// (numbers and flags of the table layer), else the text shown.
QString rowText(report::DataSource* rows, const QString& field);
double rowNumber(report::DataSource* rows, const QString& field);
bool rowFlag(report::DataSource* rows, const QString& field);

// Adapts the layout when the report starts, in this order: references, company captions (also
// those of the moved footer when there is no page footer), the VAT switch, the customer's VAT
// number (a South African tax invoice), the Canadian VAT title, the discount column (shown when
// discounts are used and a row has one), the company number caption by country, the logo
// (which replaces the short name), the titles' background, the copies into the heading and the
// extra-pages band, and what the document kind hides. The language texts follow (the window
// applies them).
void adaptToDocument(report::Report& report, const QString& documentKind, report::DataSource* rows,
                     const DesignStates& design);

// Hides what only a company using VAT prints: the VAT column and totals and the company's VAT
// number, in the footer and in the heading.
void hideVatElements(report::Report& report);
// The caption of the company's number by country: "ABN:" (AU), "Business no.:" (CA),
// "GST no.:" (NZ), else "VAT no.:".
QString companyNumberCaption(const QString& country);

// Puts the values beside their captions again after captions changed while printing (the date
// caption of a receipt, the copies of the footer's captions, the document title), so that a
// longer caption never runs into its value.
void keepValuesBesideCaptions(report::Report& report);

// The room a row keeps free below it for its long description, in layout units: 21 for each
// line it counts (line feeds and the extra lines of lines longer than 90 characters) when it
// counts two or more, else nothing.
double longDescriptionReserve(const QString& longDescription);

// Whether a row must start a new page: the print position (millimetres from the paper's top)
// lies below the end of the item frame less the reserve and 30 units.
bool rowStartsNewPage(double currentYmm, const QRectF& frame, double reserve, double scale);

// The code as the row prints it: on a portrait page a code longer than 10 characters gets a
// blank after the 10th, where the narrow column breaks it.
QString printedCode(const QString& code, report::Orientation orientation);

// The name proposed for the PDF file of a document: the kind and the number and ".pdf"
// ("Invoice" and "1023" give "Invoice1023.pdf"), with every character a file name cannot hold
// (path separators among them) replaced by "_", so that the name never leaves its folder.
QString documentPdfName(const QString& documentKind, const QString& number);

// The "scan to pay" payment a document prints: an invoice or tax invoice with an amount due, of
// a company with an IBAN that invoices in euro (its currency, or its country's when none is
// set). Nothing otherwise.
std::optional<einvoice::EpcPayment> documentPayment(const QString& documentKind, Currency amountDue,
                                                    const QString& number);

} // namespace printing
