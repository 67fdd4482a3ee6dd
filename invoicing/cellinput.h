#pragma once

#include "service/currency.h"

#include <QLocale>
#include <QString>

namespace db {
class Field;
}

namespace invoicing {

// What a person typed into a cell of the rows grid, read for the cell's field: numbers in the
// desktop's locale (a point is also taken as the decimal separator), amounts with at most four
// decimals. A refusal says why, for a message that names the column.
struct CellValue {
    bool ok = false;
    bool empty = false;
    QString error;
    QString text;
    double number = 0;
    Currency amount;
    // Writes the value into the field (which must be in edit or insert mode).
    void applyTo(db::Field& field) const;
};
CellValue readCell(const db::Field& field, const QString& text, const QLocale& locale = QLocale());

// Largest quantity, discount or rate the grid takes; far above any real row, small enough that
// a row's amount stays exact.
inline constexpr double kLargestNumber = 1e12;

// Whether price × qty × (1 − discount / 100) fits a money field.
bool rowAmountFits(Currency price, double qty, double discount);

} // namespace invoicing
