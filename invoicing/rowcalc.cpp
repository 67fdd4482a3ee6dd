#include "invoicing/rowcalc.h"

#include "db/database.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"

#include <cmath>
#include <limits>

namespace invoicing {

namespace {

// Whether a product in extended precision still fits a money field.
bool fitsCurrency(long double value) {
    constexpr long double limit =
        static_cast<long double>(std::numeric_limits<std::int64_t>::max()) / Currency::Scale;
    return std::isfinite(value) && std::fabs(value) < limit;
}

Currency toCurrency(long double value, bool* ok) {
    if (!fitsCurrency(value)) {
        *ok = false;
        return {};
    }
    try {
        return Currency::fromDouble(value);
    } catch (const CurrencyOverflow&) {
        *ok = false;
        return {};
    }
}

// The row's VAT from its sum: the share contained in the sum when prices include VAT,
// else the rate applied to it.
Currency vatOf(const WorkRow& row, bool vatInPrice, bool* ok) {
    const long double p = row.vatPercent;
    const long double sum = row.sum.toLongDouble();
    if (vatInPrice) {
        // A rate of -100 would divide by zero: such a row carries no VAT.
        if (p + 100 == 0)
            return {};
        const long double share = p * 100 / (p + 100);
        return toCurrency(sum * share / 100, ok);
    }
    return toCurrency(p * sum / 100, ok);
}

} // namespace

bool isTaxRow(const QString& code, const QString& unit) {
    return code == QLatin1String("Tax") && unit == QLatin1String("%");
}

void computeRows(std::vector<WorkRow>& rows, bool vatInPrice) {
    Currency base;
    for (WorkRow& row : rows) {
        bool ok = true;
        if (isTaxRow(row.code, row.unit)) {
            row.price = base;
            row.sum =
                toCurrency(static_cast<long double>(row.qty) * base.toLongDouble() / 100, &ok);
            row.vat = ok ? vatOf(row, vatInPrice, &ok) : Currency();
            base = Currency();
        } else {
            const long double sum = row.price.toLongDouble() * static_cast<long double>(row.qty) *
                                    (1.0L - static_cast<long double>(row.discount) / 100);
            row.sum = toCurrency(sum, &ok);
            row.vat = ok ? vatOf(row, vatInPrice, &ok) : Currency();
            if (ok) {
                try {
                    base += row.sum;
                } catch (const CurrencyOverflow&) {
                    ok = false;
                }
            }
        }
        row.overflow = !ok;
        if (!ok) {
            row.sum = Currency();
            row.vat = Currency();
        }
    }
}

Totals documentTotals(Currency sumExclVat, Currency sumVat, bool vatInPrice, bool rounding,
                      bool credit) {
    Totals t{sumExclVat, sumVat, {}};
    t.docTotal = vatInPrice ? sumExclVat : sumExclVat + sumVat;
    if (rounding)
        t.docTotal = t.docTotal.roundedToUnits();
    if (credit)
        t.docTotal = -t.docTotal;
    return t;
}

namespace {

QVariant storedMoney(Currency c, bool emptyWhenZero) {
    if (emptyWhenZero && c.isZero())
        return {};
    return QVariant(qint64(c.raw()));
}

QVariant storedFloat(double d) {
    return d == 0 ? QVariant() : QVariant(d);
}

bool sameStored(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    if (a.typeId() == QMetaType::Double || b.typeId() == QMetaType::Double)
        return a.toDouble() == b.toDouble();
    return a == b;
}

void setMoney(db::Param& p, const QVariant& stored) {
    if (stored.isNull())
        p.Clear();
    else
        p.setAsCurrency(Currency::fromRaw(stored.toLongLong()));
}

void setNumber(db::Param& p, const QVariant& stored) {
    if (stored.isNull())
        p.Clear();
    else
        p.setAsFloat(stored.toDouble());
}

// The columns the computation reads, in this order.
enum ReadColumn { RKey, RCode, RUnit, RQty, RPrice, RDiscount, RVatPercent, RSum, RVat };

} // namespace

quint64 rowsVersion(db::Table& table) {
    return table.Active() ? table.database()->version(*table.tableInfo()) : 0;
}

std::vector<int> AllRows(db::Table& table, bool vatInPrice, quint64* computedVersion) {
    std::vector<int> overflowed;
    if (!table.Active())
        return overflowed;
    // What is being typed counts: the current record is posted first, as moving would.
    if (!table.CheckBrowseMode())
        return overflowed;
    // Nothing was written since the last computation: every amount is as computed.
    if (computedVersion && *computedVersion == rowsVersion(table))
        return overflowed;

    // Only the fields the computation needs, not the long descriptions.
    db::Query read;
    read.setDatabaseName(table.DatabaseName());
    read.setSession(&table.session());
    read.setSQL({QStringLiteral("SELECT \"Key\", Code, Unit, Qty, Price, Discount, \"VAT %\", "
                                "\"Sum\", VAT FROM TRow ORDER BY \"Key\"")});
    read.Open();
    std::vector<db::Record> records = read.readRows(0, std::numeric_limits<int>::max());
    read.Close();
    std::vector<WorkRow> rows;
    rows.reserve(records.size());
    for (const db::Record& r : records) {
        WorkRow w;
        w.code = db::Field::textOf(db::FieldType::String, r.values[RCode]);
        w.unit = db::Field::textOf(db::FieldType::String, r.values[RUnit]);
        w.qty = db::Field::floatOf(db::FieldType::Float, r.values[RQty]);
        w.discount = db::Field::floatOf(db::FieldType::Float, r.values[RDiscount]);
        w.vatPercent = db::Field::floatOf(db::FieldType::Float, r.values[RVatPercent]);
        w.price = db::Field::currencyOf(db::FieldType::Currency, r.values[RPrice]);
        rows.push_back(w);
    }
    computeRows(rows, vatInPrice);

    // Only what changed is written, in one transaction. The amounts are derived from the
    // typed values, so their commit need not wait for the disk.
    db::Query update;
    update.setDatabaseName(table.DatabaseName());
    update.setSession(&table.session());
    update.setSQL({QStringLiteral("UPDATE TRow SET Price = :Price, \"Sum\" = :Sum, VAT = :VAT,"),
                   QStringLiteral(" Discount = :Discount, \"VAT %\" = :VATP"),
                   QStringLiteral(" WHERE \"Key\" = :Key")});
    std::unique_ptr<db::RelaxedDurability> relaxed;
    std::unique_ptr<db::Transaction> transaction;
    for (size_t i = 0; i < rows.size(); ++i) {
        const WorkRow& w = rows[i];
        const std::vector<QVariant>& r = records[i].values;
        if (w.overflow)
            overflowed.push_back(static_cast<int>(i) + 1);
        const QVariant price = isTaxRow(w.code, w.unit) ? storedMoney(w.price, false) : r[RPrice];
        const QVariant sum = storedMoney(w.sum, true);
        const QVariant vat = storedMoney(w.vat, false);
        const QVariant discount = storedFloat(w.discount);
        const QVariant vatPercent = storedFloat(w.vatPercent);
        if (sameStored(price, r[RPrice]) && sameStored(sum, r[RSum]) && sameStored(vat, r[RVat]) &&
            sameStored(discount, r[RDiscount]) && sameStored(vatPercent, r[RVatPercent]))
            continue;
        if (!transaction) {
            relaxed = std::make_unique<db::RelaxedDurability>(table.database());
            transaction = std::make_unique<db::Transaction>(table.database());
        }
        setMoney(update.ParamByName(QStringLiteral("Price")), price);
        setMoney(update.ParamByName(QStringLiteral("Sum")), sum);
        setMoney(update.ParamByName(QStringLiteral("VAT")), vat);
        setNumber(update.ParamByName(QStringLiteral("Discount")), discount);
        setNumber(update.ParamByName(QStringLiteral("VATP")), vatPercent);
        update.ParamByName(QStringLiteral("Key")).setAsInteger(r[RKey].toLongLong());
        update.ExecSQL();
    }
    if (transaction) {
        transaction->commit();
        transaction.reset();
        relaxed.reset();
        table.Refresh();
    }
    if (computedVersion)
        *computedVersion = rowsVersion(table);
    return overflowed;
}

Totals Totalsums(const QString& dataDir, bool vatInPrice, bool rounding, bool credit) {
    db::Query q;
    q.setDatabaseName(dataDir);
    q.setSQL({QStringLiteral("SELECT Sum(\"Sum\")AS ExclVAT, Sum(VAT)AS VATTotal FROM TRow")});
    q.Open();
    const Currency excl = q.FieldByName(QStringLiteral("ExclVAT")).AsCurrency();
    const Currency vat = q.FieldByName(QStringLiteral("VATTotal")).AsCurrency();
    q.Close();
    return documentTotals(excl, vat, vatInPrice, rounding, credit);
}

} // namespace invoicing
