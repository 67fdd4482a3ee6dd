#pragma once

#include "einvoice/invoice.h"

#include <QList>
#include <QString>

namespace db {
class DataSet;
class Session;
} // namespace db

// How a document of the invoice editor becomes an electronic invoice: the customer's
// e-invoice data from Customers, the VAT categories from VAT, the company as seller, and the
// working rows with the editor's own row amounts.
namespace invoicing {

// The format a customer wants, as the field "E-invoice format" of Customers stores it.
enum class EInvoiceFormat { None, FacturX, XRechnung };
inline constexpr const char* kFacturX = "Factur-X";
inline constexpr const char* kXRechnung = "XRechnung";
// "" (or anything unknown) is None; letter case does not matter.
EInvoiceFormat eInvoiceFormatFromText(const QString& text);
QString eInvoiceFormatText(EInvoiceFormat format);

struct EInvoiceCustomer {
    bool found = false;
    einvoice::Buyer buyer;
    EInvoiceFormat format = EInvoiceFormat::None;
};
// The buyer of a Customers record. A record without a country code is in `defaultCountry`
// (the company's). Fields an older table lacks read as empty.
EInvoiceCustomer eInvoiceCustomerFrom(db::DataSet& customers, const QString& defaultCountry);
// The customer with the number; found is false when there is none. The session must hold the
// password of Customers.
EInvoiceCustomer findEInvoiceCustomer(db::Session& session, const QString& dataDir,
                                      const QString& customerNo, const QString& defaultCountry);

// A rate's category: the stored code when it is one, else Z for 0 % and S otherwise.
einvoice::VatCategory vatCategoryFor(double percent, const QString& storedCode);
// The rates of the VAT register with their categories and exemption reasons.
QList<einvoice::VatRate> eInvoiceVatRates(const QString& dataDir);

// The company of the settings (Service's company data) as the seller.
einvoice::Seller companyAsSeller();

// The working rows in their order with the row computation's "Sum" and "VAT".
QList<einvoice::Row> eInvoiceRows(const QString& dataDir, bool vatInPrice);

// What the editor's head holds besides rows and customer.
struct EInvoiceHead {
    QString kind, number;
    QDate date, due;
    int termsDays = 0;
    QString yourReference, ourReference;
    QString note; // the free text as plain text
    bool roundTotal = false;
};

// The whole document: seller from the company, the currency of the company (else its
// country's), prices including VAT as the service says, and totals that follow the rules of
// the norm (the page then shows the same totals as the file).
einvoice::Invoice buildEInvoice(const EInvoiceHead& head, const einvoice::Buyer& buyer,
                                const QList<einvoice::Row>& rows,
                                const QList<einvoice::VatRate>& rates);

} // namespace invoicing
