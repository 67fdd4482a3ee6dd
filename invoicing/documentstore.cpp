#include "invoicing/documentstore.h"

#include "db/database.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"

#include <cmath>

namespace invoicing {

bool isTemplateName(const QString& customer) {
    return customer.left(8).toUpper() == QLatin1String("STANDARD");
}

bool updatesOpenedRecord(const SaveRequest& r) {
    if (!r.opened)
        return false;
    // A template whose customer was changed is stored as a new document, and so is an
    // ordinary document that was given a template's name.
    return r.openedAsTemplate == isTemplateName(r.head.customer);
}

namespace {

void openTable(db::Table& t, db::Session* session, const QString& dir, const QString& name) {
    if (session)
        t.setSession(session);
    t.setDatabaseName(dir);
    t.setTableName(name);
    t.Open();
}

void setDate(db::Field& f, const QDate& d) {
    if (d.isValid())
        f.setAsDate(d);
    else
        f.Clear();
}

} // namespace

void copyFieldValue(const db::Field& from, db::Field& to) {
    if (from.IsNull()) {
        to.Clear();
        return;
    }
    switch (from.DataType()) {
    case db::FieldType::Currency:
        to.setAsCurrency(from.AsCurrency());
        break;
    case db::FieldType::Float:
        to.setAsFloat(from.AsFloat());
        break;
    case db::FieldType::Boolean:
        to.setAsBoolean(from.AsBoolean());
        break;
    default:
        to.setAsString(from.AsString());
        break;
    }
}

void copyRow(db::DataSet& from, db::DataSet& to) {
    for (const char* f : {"Item", "Code", "Description", "Unit", "LDesc"})
        to.FieldByName(QString::fromUtf8(f))
            .setAsString(from.FieldByName(QString::fromUtf8(f)).AsString());
    to.FieldByName(QStringLiteral("LongDesc"))
        .setAsBoolean(from.FieldByName(QStringLiteral("LongDesc")).AsBoolean());
    // Zero numbers are stored empty.
    for (const char* f : {"Qty", "Discount", "VAT %"}) {
        const double v = from.FieldByName(QString::fromUtf8(f)).AsFloat();
        db::Field& target = to.FieldByName(QString::fromUtf8(f));
        v != 0 ? target.setAsFloat(v) : target.Clear();
    }
    for (const char* f : {"Price", "Sum"}) {
        const Currency v = from.FieldByName(QString::fromUtf8(f)).AsCurrency();
        db::Field& target = to.FieldByName(QString::fromUtf8(f));
        !v.isZero() ? target.setAsCurrency(v) : target.Clear();
    }
}

void dropTrailingEmptyRow(const QString& dataDir) {
    db::Table rows;
    openTable(rows, nullptr, dataDir, QStringLiteral("TRow"));
    if (rows.IsEmpty())
        return;
    rows.Last();
    if (rows.FieldByName(QStringLiteral("Description")).AsString().isEmpty() &&
        rows.FieldByName(QStringLiteral("Price")).AsCurrency().isZero())
        rows.Delete();
}

qint64 saveDocument(const SaveRequest& r, db::Session& heads, db::Session& rowSession,
                    const QString& dataDir) {
    db::Transaction transaction(dataDir);
    db::Table head;
    openTable(head, &heads, dataDir, QStringLiteral("IHead"));
    bool update = updatesOpenedRecord(r);
    if (update && !head.Locate(QStringLiteral("ID"), r.openedId))
        update = false; // the opened record is gone: store the document anew
    if (update)
        head.Edit();
    else
        head.Append();
    auto text = [&head](const char* field, const QString& value) {
        head.FieldByName(QString::fromUtf8(field)).setAsString(value);
    };
    const DocumentHead& h = r.head;
    text("Document", h.kind);
    setDate(head.FieldByName(QStringLiteral("Invoice date")), h.date);
    setDate(head.FieldByName(QStringLiteral("Due")), h.due);
    text("Customer no", h.customerNo);
    text("Customer", h.customer);
    text("Address line 1", h.line1);
    text("Address line 2", h.line2);
    text("Address line 3", h.line3);
    text("VAT No.", h.vatNo);
    text("Your reference", h.yourReference);
    text("Our reference", h.ourReference);
    head.FieldByName(QStringLiteral("Total")).setAsCurrency(h.total);
    if (r.printed) {
        head.FieldByName(QStringLiteral("Printed")).setAsBoolean(true);
        text("Invoice no", h.number);
        if (h.kind == QLatin1String("Invoice") || h.kind == QLatin1String("Credit invoice"))
            head.FieldByName(QStringLiteral("Rest")).setAsCurrency(h.total);
    } else {
        head.FieldByName(QStringLiteral("Printed")).setAsBoolean(false);
        head.FieldByName(QStringLiteral("Invoice no")).Clear();
    }
    if (h.kind == QLatin1String("Receipt")) {
        setDate(head.FieldByName(QStringLiteral("Paid")), h.date);
        setDate(head.FieldByName(QStringLiteral("Archived")), h.date);
    }
    head.Post();
    const qint64 id = head.FieldByName(QStringLiteral("ID")).AsInteger();

    dropTrailingEmptyRow(dataDir);
    if (update) {
        db::Query remove;
        remove.setSession(&rowSession);
        remove.setDatabaseName(dataDir);
        remove.setSQL({QStringLiteral("DELETE FROM IRow WHERE ID = :ID")});
        remove.ParamByName(QStringLiteral("ID")).setAsInteger(id);
        remove.ExecSQL();
    }
    db::Table work;
    openTable(work, nullptr, dataDir, QStringLiteral("TRow"));
    db::Table stored;
    openTable(stored, &rowSession, dataDir, QStringLiteral("IRow"));
    for (work.First(); !work.Eof(); work.Next()) {
        stored.Append();
        stored.FieldByName(QStringLiteral("ID")).setAsInteger(id);
        copyRow(work, stored);
        stored.Post();
    }
    transaction.commit();
    return id;
}

namespace {

double fourDecimals(double v) {
    return std::nearbyint(v * 10000) / 10000;
}

} // namespace

void updateStatistics(const DocumentHead& h, db::Session& customerSession,
                      db::Session& productSession, const QString& dataDir) {
    const bool adds = h.kind == QLatin1String("Invoice") ||
                      h.kind == QLatin1String("Tax invoice") || h.kind == QLatin1String("Receipt");
    const bool credits = h.kind == QLatin1String("Credit invoice");
    if (!adds && !credits)
        return;
    db::Transaction transaction(dataDir);
    db::Table customers;
    openTable(customers, &customerSession, dataDir, QStringLiteral("Customers"));
    if (!h.customerNo.isEmpty() && customers.Locate(QStringLiteral("Cust. no"), h.customerNo)) {
        customers.Edit();
        db::Field& sales = customers.FieldByName(QStringLiteral("Periods sales"));
        sales.setAsCurrency(adds ? sales.AsCurrency() + h.total
                                 : sales.AsCurrency() - h.total.abs());
        setDate(customers.FieldByName(QStringLiteral("Last invoice")), h.date);
        customers.Post();
    }
    db::Table products;
    openTable(products, &productSession, dataDir, QStringLiteral("Products"));
    db::Table work;
    openTable(work, nullptr, dataDir, QStringLiteral("TRow"));
    for (work.First(); !work.Eof(); work.Next()) {
        const QString code = work.FieldByName(QStringLiteral("Code")).AsString();
        if (code.isEmpty() || !products.Locate(QStringLiteral("Code"), code))
            continue;
        const double qty = work.FieldByName(QStringLiteral("Qty")).AsFloat();
        const Currency sum = work.FieldByName(QStringLiteral("Sum")).AsCurrency();
        const double sign = adds ? 1 : -1;
        products.Edit();
        db::Field& sales = products.FieldByName(QStringLiteral("Periods sales"));
        sales.setAsCurrency(adds ? sales.AsCurrency() + sum : sales.AsCurrency() - sum);
        db::Field& stock = products.FieldByName(QStringLiteral("Stock"));
        stock.setAsFloat(fourDecimals(stock.AsFloat() - sign * qty));
        db::Field& periodQty = products.FieldByName(QStringLiteral("Period qty"));
        periodQty.setAsFloat(fourDecimals(periodQty.AsFloat() + sign * qty));
        setDate(products.FieldByName(QStringLiteral("Last invoice")), h.date);
        products.Post();
    }
    transaction.commit();
}

} // namespace invoicing
