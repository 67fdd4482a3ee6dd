#pragma once

#include "einvoice/invoice.h"

#include <QList>
#include <QString>

#include <optional>

// The amounts of an e-invoice. EN 16931 wants line amounts in cents and the VAT of each
// category computed once from the category's taxable amount; the printed document adds the
// rows' own four-decimal "Sum" and "VAT". The payable amount is always the printed total, and
// whatever separates the two computations is the rounding amount.
namespace einvoice {

// The document total as the editor's totals show it: the rows' "Sum" (plus their "VAT" when
// prices exclude VAT), rounded to a whole unit when asked, negative for a credit invoice.
Currency printedTotal(const Invoice& invoice);

// The totals as the norm computes them, for a document whose totals follow the rules: the
// line amounts, the VAT of the categories, and their sum rounded to a whole unit when the
// document rounds its total. Positive for a credit invoice too.
struct RuleTotals {
    Currency net, vat, total;
};
RuleTotals totalsByRules(const Invoice& invoice);

// Half away from zero to whole cents, as tax rounding is done (and as the rules' own round()
// does for the positive amounts of an invoice).
Currency roundCents(Currency amount);

// A line allowance (a discount) or, for a negative discount, a line charge.
struct LineAllowance {
    bool charge = false;
    double percent = 0;
    Currency base;   // the line before the discount, in cents
    Currency amount; // base - net (allowance) or net - base (charge), in cents
};

struct Line {
    int row = 0;  // index into Invoice::rows
    QString id;   // "1", "2", ... in document order
    QString name; // the row's description
    QString sellerItemId;
    QString note; // long description and the text rows that follow the row
    double quantity = 0;
    QString unitCode;
    QString netPrice;     // decimal text, as many decimals as the quantity needs
    int baseQuantity = 1; // 100 on a tax row: its price is the base per hundred
    Currency netAmount;   // in cents
    std::optional<LineAllowance> allowance;
    VatCategory category = VatCategory::Standard;
    double vatPercent = 0;
};

struct VatBreakdown {
    VatCategory category = VatCategory::Standard;
    double percent = 0;
    QString exemptionReason;
    Currency taxable; // sum of the category's line amounts
    Currency tax;     // taxable x rate, rounded to cents; 0 outside category S
};

struct Settlement {
    QList<Line> lines;
    QList<VatBreakdown> vat; // in order of first use

    Currency lineTotal;  // sum of the line amounts (BT-106, also BT-109)
    Currency taxTotal;   // sum of the categories' VAT (BT-110)
    Currency grandTotal; // lineTotal + taxTotal (BT-112)
    Currency rounding;   // payable - grandTotal (BT-114)
    Currency payable;    // the printed total, positive for a credit invoice (BT-115)
    Currency printedTotal;
};

// The amounts for the document. Rows whose category is unknown (a 0 % rate missing from
// vatRates) count as zero rated here; the pre-check refuses such a document.
Settlement settle(const Invoice& invoice);

// "1234.50", "-0.30": an amount with exactly two decimals and a point.
QString amountText(Currency amount);
// Shortest exact decimal text of a quantity or percentage ("2", "0.5", "19").
QString decimalText(double value);

} // namespace einvoice
