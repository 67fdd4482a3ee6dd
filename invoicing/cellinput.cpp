#include "invoicing/cellinput.h"

#include "db/field.h"
#include "service/numbers.h"

#include <cmath>
#include <limits>

namespace invoicing {

namespace {

std::optional<double> readNumber(const QString& text, const QLocale& locale) {
    if (auto d = Numbers::parseDecimal(text, locale))
        return d;
    return Numbers::parseDecimal(text, QLocale::c());
}

std::optional<Currency> readAmount(const QString& text, const QLocale& locale) {
    if (auto c = Currency::parse(text, locale))
        return c;
    return Currency::parse(text, QLocale::c());
}

} // namespace

CellValue readCell(const db::Field& field, const QString& typed, const QLocale& locale) {
    CellValue v;
    v.text = typed;
    const QString text = typed.trimmed();
    switch (field.DataType()) {
    case db::FieldType::Float:
    case db::FieldType::Currency: {
        if (text.isEmpty()) {
            v.ok = v.empty = true;
            return v;
        }
        const std::optional<double> number = readNumber(text, locale);
        if (!number || !std::isfinite(*number)) {
            v.error = QStringLiteral("\"%1\" is not a number.").arg(text);
            return v;
        }
        if (std::fabs(*number) > kLargestNumber) {
            v.error = QStringLiteral("\"%1\" is too large.").arg(text);
            return v;
        }
        v.number = *number;
        if (field.DataType() == db::FieldType::Currency) {
            const std::optional<Currency> amount = readAmount(text, locale);
            if (!amount) {
                v.error = QStringLiteral("\"%1\" has more than four decimals.").arg(text);
                return v;
            }
            v.amount = *amount;
        }
        v.ok = true;
        return v;
    }
    default:
        v.ok = true;
        v.empty = typed.isEmpty();
        return v;
    }
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
