#include "invoicing/cellinput.h"

#include "db/field.h"

#include <cmath>
#include <limits>

namespace invoicing {

CellValue readCell(const db::Field& field, const QString& columnTitle, const QString& typed,
                   const QLocale& locale) {
    CellValue v;
    v.text = typed;
    std::optional<ui::NumberRule> rule;
    if (field.DataType() == db::FieldType::Float)
        rule = ui::NumberRule::decimal(columnTitle, -kLargestNumber, kLargestNumber);
    else if (field.DataType() == db::FieldType::Currency)
        rule = ui::NumberRule::amount(columnTitle);
    if (!rule) {
        v.ok = true;
        v.empty = typed.isEmpty();
        return v;
    }
    const ui::NumberReading reading = rule->read(typed, locale);
    v.ok = reading.ok;
    v.empty = reading.empty;
    v.message = reading.message;
    v.number = reading.number;
    v.amount = reading.amount;
    return v;
}

void CellValue::applyTo(db::Field& field) const {
    if (empty) {
        field.Clear();
        return;
    }
    switch (field.DataType()) {
    case db::FieldType::Float:
        field.setAsFloat(number);
        break;
    case db::FieldType::Currency:
        field.setAsCurrency(amount);
        break;
    default:
        field.setAsString(text);
        break;
    }
}

bool rowAmountFits(Currency price, double qty, double discount) {
    const long double sum = price.toLongDouble() * static_cast<long double>(qty) *
                            (1.0L - static_cast<long double>(discount) / 100);
    constexpr long double limit =
        static_cast<long double>(std::numeric_limits<std::int64_t>::max()) / Currency::Scale;
    // The VAT of the row (up to the rate's share) must fit too.
    return std::isfinite(sum) && std::fabs(sum) * 2 < limit;
}

} // namespace invoicing
