// Benchmark of the table layer against plain SQLite statements doing the same work, on a
// generated company of 100 000 customers and 1 000 000 stored documents with 5 rows each.
// The generated database is kept in a cache folder (--cache DIR) so that reruns are quick.
// Prints one line per figure: name, value, unit.
#include "db/database.h"
#include "db/dberror.h"
#include "db/nocase.h"
#include "db/query.h"
#include "db/schema.h"
#include "db/session.h"
#include "db/table.h"
#include "service/savefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "benchdata.h"

namespace {

double peakRssMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Options o = parseOptions(app.arguments());
    if (!cacheIsValid(o)) {
        QElapsedTimer t;
        t.start();
        generate(o);
        print("generate database", t.elapsed() / 1000.0, "s");
    }
    const QString dir = o.cache;
    QRandomGenerator rnd(99);

    db::Session session(QStringLiteral("sBench"));
    for (const db::TableInfo& t : db::programTables())
        if (!t.password.isEmpty())
            session.AddPassword(t.password);
    auto table = [&](db::Table& t, const char* name, const char* index) {
        t.setSession(&session);
        t.setDatabaseName(dir);
        t.setTableName(QLatin1String(name));
        t.setIndexName(QLatin1String(index));
    };

    // The program keeps its connection while windows are open; so does the benchmark.
    db::Table keeper;
    table(keeper, "VAT", "");
    {
        QElapsedTimer t;
        t.start();
        keeper.Open();
        print("connect and open first table", t.nsecsElapsed() / 1e6, "ms");
    }
    sqlite3* plain = openPlain(dir);

    // 1. Customers on "Company": open and read the first 30 records.
    {
        const std::function<void(int)> layerFn([&](int) {
            db::Table c;
            table(c, "Customers", "Company");
            c.Open();
            for (int i = 0; i < 30 && !c.Eof(); ++i, c.Next())
                c.FieldByName(QStringLiteral("Company")).AsString();
        });
        Stmt st(plain, "SELECT rowid, * FROM Customers ORDER BY \"fold:Company\", rowid LIMIT ?");
        const std::function<void(int)> rawFn([&](int) {
            st.integer(1, 32);
            std::vector<std::vector<QVariant>> rows;
            while (st.step())
                rows.push_back(readRow(st.st));
            st.reset();
        });
        comparePair("customers open+first 30", 50, layerFn, rawFn);
    }
    // 2. Locate a leading part ignoring case.
    {
        db::Table c;
        table(c, "Customers", "Company");
        c.Open();
        std::vector<QString> prefixes;
        for (int i = 0; i < 200; ++i)
            prefixes.push_back(
                QString::fromUtf8(kWords[rnd.bounded(28)]).left(2 + rnd.bounded(3)).toLower() +
                (rnd.bounded(2) ? QString() : QStringLiteral("")));
        int found = 0;
        const std::function<void(int)> layerFn([&](int i) {
            found += c.Locate(QStringLiteral("Company"), prefixes[std::max(i, 0)],
                              db::LocateCaseInsensitive | db::LocatePartialKey);
        });
        Stmt st(plain, "SELECT rowid, * FROM Customers WHERE \"fold:Company\" >= ?1 AND "
                       "\"fold:Company\" < ?2 ORDER BY \"fold:Company\", rowid LIMIT 1");
        const std::function<void(int)> rawFn([&](int i) {
            const QString p = db::foldCase(prefixes[std::max(i, 0)]);
            st.text(1, p.toUtf8());
            st.text(2, (p + QString::fromUcs4(U"\U0010FFFF")).toUtf8());
            if (st.step())
                readRow(st.st);
            st.reset();
        });
        comparePair("customers locate partial ignoring case", 200, layerFn, rawFn);
        if (found < 100)
            std::fprintf(stderr, "warning: only %d prefixes found\n", found);
    }
    // 3. IHead on "Invoice no": open (1 000 000 records) and FindKey.
    {
        db::Table h;
        table(h, "IHead", "Invoice no");
        const double open = timeIt(20, [&](int) {
            h.Close();
            h.Open();
        });
        print("ihead open 1M records layer", open, "ms");
        int hits = 0;
        const std::function<void(int)> layerFn([&](int) {
            hits += h.FindKey({QString::number(100000 + 1 + rnd.bounded(o.documents))});
        });
        Stmt first(plain, "SELECT rowid, * FROM IHead ORDER BY \"Invoice no\", rowid LIMIT ?");
        const double rawOpen = timeIt(20, [&](int) {
            first.integer(1, 32);
            std::vector<std::vector<QVariant>> rows;
            while (first.step())
                rows.push_back(readRow(first.st));
            first.reset();
        });
        print("ihead open 1M records sqlite", rawOpen, "ms");
        print("ihead open 1M records ratio", open / rawOpen, "x");
        Stmt st(plain, "SELECT rowid, * FROM IHead WHERE \"Invoice no\" IS ? ORDER BY \"Invoice "
                       "no\", rowid LIMIT 1");
        const std::function<void(int)> rawFn([&](int) {
            st.text(1, QByteArray::number(100000 + 1 + rnd.bounded(o.documents)));
            if (st.step())
                readRow(st.st);
            st.reset();
        });
        comparePair("ihead findkey", 500, layerFn, rawFn);
        if (hits < 500)
            std::fprintf(stderr, "warning: %d keys found\n", hits);
        const double next = timeIt(2000, [&](int) {
            h.Next();
            h.FieldByName(QStringLiteral("Total")).AsCurrency();
        });
        print("ihead next layer", next, "ms");
    }
    // 4. The two credit-limit queries for one customer.
    {
        const QStringList openSum = {
            QStringLiteral("Select SUM(Total) AS Summed FROM Ihead"),
            QStringLiteral(" WHERE"),
            QStringLiteral(" (\"Customer no\" = :CustNo)"),
            QStringLiteral(" AND ((Archived = :ZeroDate) OR (Archived = NULL))"),
            QStringLiteral(" AND (Printed = True)"),
            QStringLiteral(" AND (Rest = NULL)"),
            QStringLiteral(" AND (Document = :Invoice)")};
        const QStringList partly = {
            QStringLiteral("Select SUM(Rest) AS Partly FROM Ihead"),
            QStringLiteral(" WHERE"),
            QStringLiteral(" (\"Customer no\" = :CustNo)"),
            QStringLiteral(" AND ((Archived = :ZeroDate) OR (Archived = NULL))"),
            QStringLiteral(" AND (Printed = True)"),
            QStringLiteral(" AND (Document = :Invoice)")};
        db::Query q1, q2;
        for (db::Query* q : {&q1, &q2}) {
            q->setSession(&session);
            q->setDatabaseName(dir);
        }
        q1.SQL() = openSum;
        q2.SQL() = partly;
        Currency used;
        const std::function<void(int)> layerFn([&](int) {
            const QString cust = QString::number(1 + rnd.bounded(o.customers));
            for (db::Query* q : {&q1, &q2}) {
                q->Close();
                q->ParamByName(QStringLiteral("CustNo")).setAsString(cust);
                q->ParamByName(QStringLiteral("ZeroDate")).setAsDate(QDate(1899, 12, 30));
                q->ParamByName(QStringLiteral("Invoice")).setAsString(QStringLiteral("Invoice"));
                q->Open();
                used += q->Fields(0).AsCurrency();
            }
        });
        Stmt a(plain, "SELECT SUM(Total) FROM IHead WHERE \"Customer no\" IS ?1 AND (Archived IS "
                      "NULL) AND Printed = 1 "
                      "AND Rest IS NULL AND Document IS ?2");
        Stmt b(plain, "SELECT SUM(Rest) FROM IHead WHERE \"Customer no\" IS ?1 AND (Archived IS "
                      "NULL) AND Printed = 1 "
                      "AND Document IS ?2");
        const std::function<void(int)> rawFn([&](int) {
            const QByteArray cust = QByteArray::number(1 + rnd.bounded(o.customers));
            for (Stmt* s : {&a, &b}) {
                s->text(1, cust);
                s->text(2, QByteArrayLiteral("Invoice"));
                s->step();
                sqlite3_column_int64(s->st, 0);
                s->reset();
            }
        });
        comparePair("credit limit queries", 300, layerFn, rawFn);
    }
    // 5. Save of a 100-row document (head and rows, one transaction).
    {
        db::Table head, rows;
        table(head, "IHead", "Invoice no");
        table(rows, "IRow", "ID");
        head.Open();
        rows.Open();
        rows.setMasterSource(&head, QStringLiteral("ID"));
        const std::function<void(int)> layerFn([&](int) {
            db::Transaction t(head.database());
            head.Append();
            head.FieldByName(QStringLiteral("Document")).setAsString(QStringLiteral("Invoice"));
            head.FieldByName(QStringLiteral("Customer no")).setAsString(QStringLiteral("17"));
            head.FieldByName(QStringLiteral("Invoice date")).setAsDate(QDate::currentDate());
            head.FieldByName(QStringLiteral("Total")).setAsCurrency(Currency::fromInt(1000));
            head.Post();
            for (int r = 0; r < 100; ++r) {
                rows.Append();
                rows.FieldByName(QStringLiteral("Item")).setAsString(QString::number(r + 1));
                rows.FieldByName(QStringLiteral("Description"))
                    .setAsString(QStringLiteral("Saved row"));
                rows.FieldByName(QStringLiteral("Qty")).setAsFloat(2);
                rows.FieldByName(QStringLiteral("Price")).setAsCurrency(Currency::fromInt(5));
                rows.FieldByName(QStringLiteral("Sum")).setAsCurrency(Currency::fromInt(10));
                rows.Post();
            }
            t.commit();
        });
        Stmt h(plain, "INSERT INTO IHead (Document, \"Customer no\", \"Invoice date\", Total) "
                      "VALUES (?, ?, ?, ?)");
        Stmt r(
            plain,
            "INSERT INTO IRow (ID, Item, Description, Qty, Price, Sum) VALUES (?, ?, ?, ?, ?, ?)");
        const std::function<void(int)> rawFn([&](int) {
            exec(plain, QStringLiteral("BEGIN IMMEDIATE"));
            h.text(1, "Invoice");
            h.text(2, "17");
            h.text(3, QDate::currentDate().toString(Qt::ISODate).toUtf8());
            h.integer(4, 10000000);
            h.step();
            h.reset();
            const qint64 id = sqlite3_last_insert_rowid(plain);
            for (int i = 0; i < 100; ++i) {
                r.integer(1, id);
                r.text(2, QByteArray::number(i + 1));
                r.text(3, "Saved row");
                sqlite3_bind_double(r.st, 4, 2);
                r.integer(5, 50000);
                r.integer(6, 100000);
                r.step();
                r.reset();
            }
            exec(plain, QStringLiteral("COMMIT"));
        });
        comparePair("document save 100 rows", 20, layerFn, rawFn);
    }
    // 6. Post of one customer record.
    {
        db::Table c;
        table(c, "Customers", "Cust. no");
        c.Open();
        const std::function<void(int)> layerFn([&](int) {
            c.FindKey({QString::number(1 + rnd.bounded(o.customers))});
            c.Edit();
            c.FieldByName(QStringLiteral("Periods sales"))
                .setAsCurrency(c.FieldByName(QStringLiteral("Periods sales")).AsCurrency() +
                               Currency::fromInt(1));
            c.Post();
        });
        Stmt find(plain, "SELECT rowid, * FROM Customers WHERE \"fold:Cust. no\" IS ? "
                         "ORDER BY \"fold:Cust. no\", rowid LIMIT 1");
        Stmt upd(plain, "UPDATE Customers SET \"Periods sales\" = ? WHERE rowid = ?");
        const std::function<void(int)> rawFn([&](int) {
            find.text(1, QByteArray::number(1 + rnd.bounded(o.customers)));
            find.step();
            readRow(find.st);
            const qint64 rowid = sqlite3_column_int64(find.st, 0);
            const qint64 sales = sqlite3_column_int64(find.st, 17);
            find.reset();
            upd.integer(1, sales + 10000);
            upd.integer(2, rowid);
            upd.step();
            upd.reset();
        });
        comparePair("customer post", 50, layerFn, rawFn);
    }
    sqlite3_close(plain);
    print("peak memory (VmHWM)", peakRssMb(), "MB");
    return 0;
}
