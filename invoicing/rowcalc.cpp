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

// Field positions of the working rows table, looked up once per computation.
struct RowFields {
    int code, unit, qty, price, discount, vatPercent, sum, vat;
    explicit RowFields(db::Table& t)
        : code(t.FieldByName(QStringLiteral("Code")).Index())
        , unit(t.FieldByName(QStringLiteral("Unit")).Index())
        , qty(t.FieldByName(QStringLiteral("Qty")).Index())
        , price(t.FieldByName(QStringLiteral("Price")).Index())
        , discount(t.FieldByName(QStringLiteral("Discount")).Index())
        , vatPercent(t.FieldByName(QStringLiteral("VAT %")).Index())
        , sum(t.FieldByName(QStringLiteral("Sum")).Index())
        , vat(t.FieldByName(QStringLiteral("VAT")).Index()) {}
};

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

} // namespace

std::vector<int> AllRows(db::Table& table, bool vatInPrice) {
    std::vector<int> overflowed;
    if (!table.Active())
        return overflowed;
    // What is being typed counts: the current record is posted first, as moving would.
    if (!table.CheckBrowseMode())
        return overflowed;
    const RowFields f(table);
    std::vector<db::Record> records = table.readRows(0, std::numeric_limits<int>::max());
    std::vector<WorkRow> rows;
    rows.reserve(records.size());
    for (const db::Record& r : records) {
        WorkRow w;
        w.code = db::Field::textOf(db::FieldType::String, r.values[f.code]);
        w.unit = db::Field::textOf(db::FieldType::String, r.values[f.unit]);
        w.qty = db::Field::floatOf(db::FieldType::Float, r.values[f.qty]);
        w.discount = db::Field::floatOf(db::FieldType::Float, r.values[f.discount]);
        w.vatPercent = db::Field::floatOf(db::FieldType::Float, r.values[f.vatPercent]);
        w.price = db::Field::currencyOf(db::FieldType::Currency, r.values[f.price]);
        rows.push_back(w);
    }
    computeRows(rows, vatInPrice);

    // Only what changed is written, in one transaction, so a column exit costs one commit.
    db::Query update;
    update.setDatabaseName(table.DatabaseName());
    update.setSession(&table.session());
    update.setSQL({QStringLiteral("UPDATE TRow SET Price = :Price, \"Sum\" = :Sum, VAT = :VAT,"),
                   QStringLiteral(" Discount = :Discount, \"VAT %\" = :VATP"),
                   QStringLiteral(" WHERE \"Key\" = :Key")});
    std::unique_ptr<db::Transaction> transaction;
    for (size_t i = 0; i < rows.size(); ++i) {
        const WorkRow& w = rows[i];
        const db::Record& r = records[i];
        if (w.overflow)
            overflowed.push_back(static_cast<int>(i) + 1);
        const QVariant price =
            isTaxRow(w.code, w.unit) ? storedMoney(w.price, false) : r.values[f.price];
        const QVariant sum = storedMoney(w.sum, true);
        const QVariant vat = storedMoney(w.vat, false);
        const QVariant discount = storedFloat(w.discount);
        const QVariant vatPercent = storedFloat(w.vatPercent);
        if (sameStored(price, r.values[f.price]) && sameStored(sum, r.values[f.sum]) &&
            sameStored(vat, r.values[f.vat]) && sameStored(discount, r.values[f.discount]) &&
            sameStored(vatPercent, r.values[f.vatPercent]))
            continue;
        if (!transaction)
            transaction = std::make_unique<db::Transaction>(table.database());
        auto money = [](db::Param& p, const QVariant& stored) {
            if (stored.isNull())
                p.Clear();
            else
                p.setAsCurrency(Currency::fromRaw(stored.toLongLong()));
        };
        auto number = [](db::Param& p, const QVariant& stored) {
            if (stored.isNull())
                p.Clear();
            else
                p.setAsFloat(stored.toDouble());
        };
        money(update.ParamByName(QStringLiteral("Price")), price);
        money(update.ParamByName(QStringLiteral("Sum")), sum);
        money(update.ParamByName(QStringLiteral("VAT")), vat);
        number(update.ParamByName(QStringLiteral("Discount")), discount);
        number(update.ParamByName(QStringLiteral("VATP")), vatPercent);
        update.ParamByName(QStringLiteral("Key")).setAsInteger(r.rowid);
        update.ExecSQL();
    }
    if (transaction) {
        transaction->commit();
        table.Refresh();
    }
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
