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

namespace {

struct Options {
    QString cache = QDir::tempPath() + QStringLiteral("/merovia-db-bench");
    int customers = 100000;
    int documents = 1000000;
    int rowsPerDocument = 5;
};

void print(const char* name, double value, const char* unit) {
    std::printf("%-44s %12.4f %s\n", name, value, unit);
    std::fflush(stdout);
}

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

void exec(sqlite3* db, const QString& sql) {
    check(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), db, "exec");
}

sqlite3* openPlain(const QString& dir) {
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(db::Database::fileName(dir).toUtf8().constData(), &db,
                          SQLITE_OPEN_READWRITE, nullptr),
          db, "open");
    db::registerNoCase(db);
    exec(db, QStringLiteral("PRAGMA journal_mode=WAL"));
    exec(db, QStringLiteral("PRAGMA synchronous=FULL"));
    exec(db, QStringLiteral("PRAGMA cache_size=-16000"));
    return db;
}

struct Stmt {
    Stmt(sqlite3* db, const char* sql)
        : db(db) {
        check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db, sql);
    }
    ~Stmt() { sqlite3_finalize(st); }
    void text(int i, const QByteArray& v) {
        sqlite3_bind_text(st, i, v.constData(), v.size(), SQLITE_TRANSIENT);
    }
    void integer(int i, qint64 v) { sqlite3_bind_int64(st, i, v); }
    void null(int i) { sqlite3_bind_null(st, i); }
    bool step() {
        const int rc = sqlite3_step(st);
        check(rc, db, "step");
        return rc == SQLITE_ROW;
    }
    void reset() {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
    sqlite3* db;
    sqlite3_stmt* st = nullptr;
};

// What the layer does with each record it reads: every column becomes a value.
std::vector<QVariant> readRow(sqlite3_stmt* st) {
    const int n = sqlite3_column_count(st);
    std::vector<QVariant> values;
    values.reserve(n);
    for (int c = 0; c < n; ++c) {
        switch (sqlite3_column_type(st, c)) {
        case SQLITE_INTEGER:
            values.emplace_back(static_cast<qint64>(sqlite3_column_int64(st, c)));
            break;
        case SQLITE_FLOAT:
            values.emplace_back(sqlite3_column_double(st, c));
            break;
        case SQLITE_NULL:
            values.emplace_back();
            break;
        default:
            values.emplace_back(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                  sqlite3_column_bytes(st, c)));
        }
    }
    return values;
}

const char* const kWords[] = {
    "Alpha",   "Baker",   "Cedar",   "Delta",     "Evergreen", "Fenwick", "Granite",
    "Harbour", "Ivy",     "Juniper", "Kestrel",   "Linden",    "Maple",   "Northwind",
    "Orchard", "Pioneer", "Quarry",  "Riverside", "Summit",    "Thistle", "Upland",
    "Valley",  "Willow",  "Yew",     "Zenith",    "Åkerman",   "Öster",   "Ängel"};
const char* const kKinds[] = {"Invoice",   "Invoice",        "Invoice",
                              "Invoice",   "Credit invoice", "Receipt",
                              "Quotation", "Delivery note",  "Packing slip"};

QString company(QRandomGenerator& rnd, int i) {
    return QStringLiteral("%1 %2 %3")
        .arg(QString::fromUtf8(kWords[rnd.bounded(28)]), QString::fromUtf8(kWords[rnd.bounded(28)]))
        .arg(i);
}

void generate(const Options& o) {
    QDir(o.cache).removeRecursively();
    QString error;
    if (!db::createDatabase(o.cache, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::exit(1);
    }
    sqlite3* db = openPlain(o.cache);
    exec(db, QStringLiteral("PRAGMA synchronous=OFF"));
    exec(db, QStringLiteral("PRAGMA cache_size=-65536"));
    // Loading without the indexes and building them afterwards is much faster.
    std::vector<QString> indexSql;
    {
        Stmt st(db, "SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND sql IS NOT NULL");
        std::vector<QString> names;
        while (st.step()) {
            names.push_back(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.st, 0))));
            indexSql.push_back(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.st, 1))));
        }
        st.reset();
        for (const QString& n : names)
            exec(db, QStringLiteral("DROP INDEX \"%1\"").arg(n));
    }
    QRandomGenerator rnd(4711);
    exec(db, QStringLiteral("BEGIN"));
    {
        Stmt st(db, "INSERT INTO Customers (\"Cust. no\", Company, Reference, \"Address line 1\", "
                    "City, Zip, "
                    "\"Credit limit\", \"Periods sales\") VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        for (int i = 1; i <= o.customers; ++i) {
            st.text(1, QByteArray::number(i));
            st.text(2, company(rnd, i).toUtf8());
            st.text(3, QStringLiteral("%1 %2")
                           .arg(QString::fromUtf8(kWords[rnd.bounded(28)]))
                           .arg(i % 997)
                           .toUtf8());
            st.text(4, QByteArrayLiteral("1 High Street"));
            st.text(5, QByteArrayLiteral("Reading"));
            st.text(6, QByteArrayLiteral("RG1 1AA"));
            if (i % 10 == 0)
                st.integer(7, 10000LL * 10000);
            else
                st.null(7);
            st.integer(8, rnd.bounded(1000000) * 100LL);
            st.step();
            st.reset();
        }
    }
    {
        Stmt head(
            db, "INSERT INTO IHead (ID, Document, \"Invoice no\", \"Invoice date\", Due, "
                "\"Customer no\", "
                "Customer, \"Address line 1\", Total, Printed, Rest, Paid, Archived, Delay) VALUES "
                "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        Stmt row(db, "INSERT INTO IRow (ID, Item, Code, Description, Qty, Unit, Price, \"VAT %\", "
                     "Sum) VALUES "
                     "(?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const QDate start(2015, 1, 1);
        for (int d = 1; d <= o.documents; ++d) {
            const int cust = 1 + static_cast<int>(rnd.bounded(o.customers));
            const QDate date = start.addDays(d / 400);
            const char* kind = kKinds[rnd.bounded(9)];
            qint64 total = 0;
            for (int r = 1; r <= o.rowsPerDocument; ++r) {
                const qint64 price = 10000LL * (1 + rnd.bounded(500));
                const int qty = 1 + rnd.bounded(20);
                row.integer(1, d);
                row.text(2, QByteArray::number(r));
                row.text(3, "P" + QByteArray::number(rnd.bounded(5000)));
                row.text(4, QByteArrayLiteral("Generated product row"));
                sqlite3_bind_double(row.st, 5, qty);
                row.text(6, QByteArrayLiteral("pcs"));
                row.integer(7, price);
                sqlite3_bind_double(row.st, 8, 25.0);
                row.integer(9, price * qty);
                row.step();
                row.reset();
                total += price * qty * 5 / 4;
            }
            const bool paid = rnd.bounded(3) == 0;
            head.integer(1, d);
            head.text(2, kind);
            head.text(3, QByteArray::number(100000 + d));
            head.text(4, date.toString(Qt::ISODate).toUtf8());
            head.text(5, date.addDays(30).toString(Qt::ISODate).toUtf8());
            head.text(6, QByteArray::number(cust));
            head.text(7, QByteArrayLiteral("Customer ") + QByteArray::number(cust));
            head.text(8, QByteArrayLiteral("1 High Street"));
            head.integer(9, total);
            head.integer(10, 1);
            if (rnd.bounded(4) == 0)
                head.integer(11, total / 2);
            else
                head.null(11);
            if (paid) {
                head.text(12, date.addDays(35).toString(Qt::ISODate).toUtf8());
                head.text(13, date.addDays(35).toString(Qt::ISODate).toUtf8());
                head.integer(14, 5);
            } else {
                head.null(12);
                head.null(13);
                head.null(14);
            }
            head.step();
            head.reset();
        }
    }
    exec(db, QStringLiteral("COMMIT"));
    for (const QString& sql : indexSql)
        exec(db, sql);
    exec(db, QStringLiteral("ANALYZE"));
    exec(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    sqlite3_close(db);
    // The marker says the cache is whole, so it must never be left half written.
    QString markerError;
    if (!SaveFile::writeFile(o.cache + QStringLiteral("/complete"),
                             QStringLiteral("%1 %2 %3")
                                 .arg(o.customers)
                                 .arg(o.documents)
                                 .arg(o.rowsPerDocument)
                                 .toUtf8(),
                             &markerError))
        std::fprintf(stderr, "db_bench: %s\n", qPrintable(markerError));
}

bool cacheIsValid(const Options& o) {
    QFile marker(o.cache + QStringLiteral("/complete"));
    if (!marker.open(QIODevice::ReadOnly))
        return false;
    return marker.readAll() == QStringLiteral("%1 %2 %3")
                                   .arg(o.customers)
                                   .arg(o.documents)
                                   .arg(o.rowsPerDocument)
                                   .toUtf8();
}

// Milliseconds per run: the median over 7 batches of `runs` runs each, after a warm-up run, so
// that other work on the machine disturbs the figure less.
double timeIt(int runs, const std::function<void(int)>& work) {
    work(-1);
    std::vector<double> batches;
    for (int b = 0; b < 7; ++b) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < runs; ++i)
            work(i);
        batches.push_back(t.nsecsElapsed() / 1e6 / runs);
    }
    std::sort(batches.begin(), batches.end());
    return batches[batches.size() / 2];
}

void compare(const char* name, double layer, double plain) {
    const QByteArray n(name);
    print((n + " layer").constData(), layer, "ms");
    print((n + " sqlite").constData(), plain, "ms");
    print((n + " ratio").constData(), plain > 0 ? layer / plain : 0, "x");
}

// Times both sides in alternating batches (median of 7 each), so that caches warmed by one side
// and other work on the machine favour neither.
void comparePair(const char* name, int runs, const std::function<void(int)>& layer,
                 const std::function<void(int)>& plain) {
    layer(-1);
    plain(-1);
    std::vector<double> a, b;
    for (int round = 0; round < 7; ++round) {
        for (auto [work, out] : {std::pair{&layer, &a}, std::pair{&plain, &b}}) {
            QElapsedTimer t;
            t.start();
            for (int i = 0; i < runs; ++i)
                (*work)(i);
            out->push_back(t.nsecsElapsed() / 1e6 / runs);
        }
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    compare(name, a[3], b[3]);
}

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
    Options o;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--cache"))
            o.cache = args[++i];
        else if (args[i] == QLatin1String("--customers"))
            o.customers = args[++i].toInt();
        else if (args[i] == QLatin1String("--documents"))
            o.documents = args[++i].toInt();
    }
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
        Stmt st(plain,
                "SELECT rowid, * FROM Customers ORDER BY Company COLLATE MRVNOCASE, rowid LIMIT ?");
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
        Stmt st(plain, "SELECT rowid, * FROM Customers WHERE Company COLLATE MRVNOCASE >= ?1 AND "
                       "Company COLLATE "
                       "MRVNOCASE < ?2 AND mrv_startswith(Company, ?1) ORDER BY Company COLLATE "
                       "MRVNOCASE, rowid "
                       "LIMIT 1");
        const std::function<void(int)> rawFn([&](int i) {
            const QString p = prefixes[std::max(i, 0)];
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
        Stmt find(plain, "SELECT rowid, * FROM Customers WHERE \"Cust. no\" COLLATE MRVNOCASE IS ? "
                         "ORDER BY \"Cust. no\" "
                         "COLLATE MRVNOCASE, rowid LIMIT 1");
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
