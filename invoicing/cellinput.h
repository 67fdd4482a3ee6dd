#pragma once

#include "service/currency.h"
#include "ui/numberbox.h"

#include <QLocale>
#include <QString>

namespace db {
class Field;
}

namespace invoicing {

// What a person typed into a cell of the rows grid, read for the cell's field by the program's
// one number rule (the desktop's number format; amounts with at most four decimals). A
// refusal names the column.
struct CellValue {
    bool ok = false;
    bool empty = false;
    QString message;
    QString text;
    double number = 0;
    Currency amount;
    // Writes the value into the field (which must be in edit or insert mode).
    void applyTo(db::Field& field) const;
};
CellValue readCell(const db::Field& field, const QString& columnTitle, const QString& text,
                   const QLocale& locale = QLocale());

// Largest quantity, discount or rate the grid takes; far above any real row, small enough that
// a row's amount stays exact.
inline constexpr double kLargestNumber = 1e12;

// Whether price × qty × (1 − discount / 100) fits a money field.
bool rowAmountFits(Currency price, double qty, double discount);

} // namespace invoicing
