#pragma once

#include "service/currency.h"

#include <QString>

#include <vector>

namespace db {
class Table;
}

// The arithmetic of a document's rows and totals, apart from any window: a column exit of the
// editor runs computeRows over every working row and then the totals.
namespace invoicing {

// The numbers of one working row as the computation sees them (an empty field reads as 0).
struct WorkRow {
    QString code;
    QString unit;
    double qty = 0;
    double discount = 0;
    double vatPercent = 0;
    Currency price;
    Currency sum;
    Currency vat;
    // Set by computeRows when the row's amount does not fit a money field; sum and vat are
    // then 0 and the caller must refuse the value that caused it.
    bool overflow = false;
};

// A percentage charge: code "Tax" with unit "%" (any other unit makes it an ordinary row).
bool isTaxRow(const QString& code, const QString& unit);

// Computes "Sum" and "VAT" of every row in order (and "Price" of tax rows, the running base
// since the previous tax row). Products are carried in extended precision and rounded once
// to the ten-thousandth, half to even. With vatInPrice the prices include VAT and the VAT is
// the share F = p × 100 / (p + 100) percent of the sum. Never throws.
void computeRows(std::vector<WorkRow>& rows, bool vatInPrice);

struct Totals {
    Currency sumExclVat; // the rows' "Sum" (including VAT when prices include it)
    Currency sumVat;     // the rows' "VAT"
    Currency docTotal;   // what the document charges, negative for a credit invoice
};

// The document total from the two sums: with prices including VAT the sum is the total,
// otherwise sum + VAT; whole-unit rounding half to even when asked; a credit invoice negated.
Totals documentTotals(Currency sumExclVat, Currency sumVat, bool vatInPrice, bool rounding,
                      bool credit);

// Runs the row computation over the working rows table in its order, writing only the fields
// that change (one transaction), and leaves "Sum", "VAT %" and "Discount" empty where they
// are 0. The table's current record stays current. Returns the 1-based numbers of rows whose
// amount overflowed. Given the change version of the last computation, a table nobody wrote
// since is left as it is, and the version is brought up to date.
std::vector<int> AllRows(db::Table& rows, bool vatInPrice, quint64* computedVersion = nullptr);
// The change version of the working rows (it moves with every write to the table).
quint64 rowsVersion(db::Table& rows);

// Reads the two sums of the working rows through the program's totals query.
Totals Totalsums(const QString& dataDir, bool vatInPrice, bool rounding, bool credit);

} // namespace invoicing
