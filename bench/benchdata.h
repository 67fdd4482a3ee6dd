#pragma once

// What the table-layer benchmarks share: the generated company (100 000 customers, 1 000 000
// stored documents with 5 rows each) kept in a cache folder, plain SQLite helpers to compare
// with, and the timing that prints each figure beside its plain SQLite counterpart. Each
// benchmark is one translation unit, so these live in its unnamed namespace.

#include "db/database.h"
#include "db/nocase.h"
#include "db/schema.h"
#include "service/savefile.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

struct Options {
    // Named after the schema version, so that checkouts of other versions keep theirs.
    QString cache =
        QDir::tempPath() + QStringLiteral("/merovia-db-bench-v%1").arg(db::kSchemaVersion);
    int customers = 100000;
    int documents = 1000000;
    int rowsPerDocument = 5;
};

// --cache DIR, --customers N, --documents N.
inline Options parseOptions(const QStringList& args) {
    Options o;
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--cache"))
            o.cache = args[++i];
        else if (args[i] == QLatin1String("--customers"))
            o.customers = args[++i].toInt();
        else if (args[i] == QLatin1String("--documents"))
            o.documents = args[++i].toInt();
    }
    return o;
}

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
        // The folded shadow columns are written as the table layer writes them.
        Stmt st(db,
                "INSERT INTO Customers (\"Cust. no\", Company, Reference, \"Address line 1\", "
                "City, Zip, \"Credit limit\", \"Periods sales\", \"fold:Cust. no\", "
                "\"fold:Company\", \"fold:Reference\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (int i = 1; i <= o.customers; ++i) {
            const QString name = company(rnd, i);
            const QString reference = QStringLiteral("%1 %2")
                                          .arg(QString::fromUtf8(kWords[rnd.bounded(28)]))
                                          .arg(i % 997);
            st.text(1, QByteArray::number(i));
            st.text(2, name.toUtf8());
            st.text(3, reference.toUtf8());
            st.text(9, QByteArray::number(i));
            st.text(10, db::foldCase(name).toUtf8());
            st.text(11, db::foldCase(reference).toUtf8());
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
        Stmt head(db, "INSERT INTO IHead (ID, Document, \"Invoice no\", \"Invoice date\", Due, "
                      "\"Customer no\", "
                      "Customer, \"Address line 1\", Total, Printed, Rest, Paid, Archived, Delay, "
                      "\"fold:Customer\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
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
            head.text(15, QByteArrayLiteral("customer ") + QByteArray::number(cust));
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
                                     .toUtf8() +
                                 " v" + QByteArray::number(db::kSchemaVersion),
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
                                       .toUtf8() +
                                   " v" + QByteArray::number(db::kSchemaVersion);
}

// Milliseconds per run: the median over 7 batches of `runs` runs each, after a warm-up run, so
// that other work on the machine disturbs the figure less.
[[maybe_unused]] double timeIt(int runs, const std::function<void(int)>& work) {
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

} // namespace
