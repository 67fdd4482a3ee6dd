#pragma once

#include "service/currency.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The document as an electronic invoice sees it: plain values that the invoice editor copies
// from its head boxes, its working rows and the company and customer data. Nothing here reads
// a table or a setting, so a test fills one by hand.
namespace einvoice {

// The VAT categories of EN 16931 (UNTDID 5305 subset).
enum class VatCategory {
    Standard,       // S
    ZeroRated,      // Z
    Exempt,         // E
    ReverseCharge,  // AE
    IntraCommunity, // K
    Export,         // G
    OutsideScope,   // O
};

QString categoryCode(VatCategory category);
std::optional<VatCategory> categoryFromCode(const QString& code);
// "standard rate", "zero rated", ... for messages.
QString categoryName(VatCategory category);
// Categories other than S and Z must say why no VAT is charged.
bool needsExemptionReason(VatCategory category);

// Street lines without postcode and city, which have fields of their own.
struct Address {
    QStringList lines;
    QString city;
    QString postcode;
    QString state;
    QString countryCode; // ISO 3166-1 alpha-2
};

struct Seller {
    QString name;
    Address address;
    QString vatNumber;         // with its country prefix, e.g. "DE123456789"
    QString legalRegistration; // trade register or company number
    QString electronicAddress; // e-mail
    QString phone;
    QString iban;
    QString bic;
    QString bankText; // the company's bank text, several lines
};

struct Buyer {
    QString number; // customer number
    QString name;
    Address address;
    QString vatNumber;
    QString electronicAddress; // e-mail
    QString buyerReference;    // the public buyer's routing id ("Leitweg-ID")
};

// A rate of the VAT register with its category; the reason is needed for E, AE, K, G and O.
struct VatRate {
    double percent = 0;
    VatCategory category = VatCategory::Standard;
    QString exemptionReason;
};

// One working row as the invoice editor holds it after its row computation: "Sum" and "VAT"
// are the editor's own amounts, "Price" includes VAT when the document's prices do.
struct Row {
    QString item;
    QString code;
    QString description;
    double qty = 0; // the percentage on a tax row
    QString unit;
    Currency price; // the running base on a tax row
    double discount = 0;
    double vatPercent = 0;
    Currency sum;
    Currency vat;
    QString longDescription; // empty when the row has none

    // A percentage charge on the rows above it (code "Tax", unit "%").
    bool isTaxRow() const;
    // Text only: nothing to count or price.
    bool isTextRow() const;
};

inline constexpr const char* kInvoice = "Invoice";
inline constexpr const char* kTaxInvoice = "Tax invoice";
inline constexpr const char* kCreditInvoice = "Credit invoice";

struct Invoice {
    Seller seller;
    Buyer buyer;

    QString kind; // the stored kind text: "Invoice", "Tax invoice", "Credit invoice"
    QString number;
    QDate issueDate;
    QDate dueDate;
    QDate deliveryDate; // date of supply; needed for intra-community supplies
    int termsDays = 0;
    QString paymentTerms; // the terms as printed; empty gives a plain text from termsDays
    QString currency;     // ISO 4217
    QString yourReference;
    QString ourReference;
    QString note; // the free text, as plain text

    bool pricesIncludeVat = false; // the service switch VATinPrice
    bool roundTotal = false;       // the total is rounded to a whole unit
    // The document's totals follow the norm (line amounts in cents, VAT once per category)
    // instead of the rows' own sums: the page then shows and charges the norm's total.
    bool totalsFollowRules = false;
    int displayDecimals = 2; // the decimals the printed page shows amounts with

    QList<Row> rows;
    QList<VatRate> vatRates;

    bool isCredit() const { return kind == QLatin1String(kCreditInvoice); }
    // The rate's entry in vatRates; a positive rate missing there is a standard rate.
    std::optional<VatRate> vatRateFor(double percent) const;
};

// Whether the kind is issued as an e-invoice at all.
bool isEInvoiceKind(const QString& kind);

} // namespace einvoice
