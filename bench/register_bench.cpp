// The customer register over the db_bench company (100 000 customers, 1 000 000 stored
// documents): opening the register, one search keystroke, the invoice history of a customer
// with 1 000 documents, and one page of a customer list, each beside the same reading done
// with plain SQLite statements in the same run: for each, the whole window, the table layer
// doing the reading the window does, plain SQLite reading the same records, and their ratio.
// Prints one line per figure: name, value, unit.
//
//     build/bin/register_bench [--cache DIR]
//
// The first run generates the company into the cache folder (as db_bench does) and adds the
// customer "H1000" with 1 000 documents of its own.
#include "customers/custhistory.h"
#include "customers/custmarks.h"
#include "customers/tfmcustinvoices.h"
#include "customers/tfmcustout.h"
#include "customers/tfmcustreg.h"
#include "customers/tfmqrcustout.h"
#include "db/query.h"
#include "db/schema.h"
#include "db/session.h"
#include "db/table.h"
#include "db/tablemodel.h"
#include "report/report.h"
#include "service/service.h"
#include "ui/dbgrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QRegularExpression>

#include "benchdata.h"

namespace {

const char* const kHistoryCustomer = "H1000";

// The customer with 1 000 documents, added once to the cached company.
void addHistoryCustomer(const QString& dir) {
    sqlite3* db = openPlain(dir);
    {
        Stmt count(db, "SELECT COUNT(*) FROM IHead WHERE \"Customer no\" = ?");
        count.text(1, kHistoryCustomer);
        count.step();
        if (sqlite3_column_int(count.st, 0) >= 1000) {
            sqlite3_close(db);
            return;
        }
    }
    exec(db, QStringLiteral("BEGIN"));
    {
        Stmt cust(db, "INSERT INTO Customers (\"Cust. no\", Company, Reference, Mark) VALUES "
                      "(?, 'History customer', 'Thousand', 0)");
        cust.text(1, kHistoryCustomer);
        cust.step();
        Stmt max(db, "SELECT MAX(ID) FROM IHead");
        max.step();
        qint64 id = sqlite3_column_int64(max.st, 0);
        Stmt head(db, "INSERT INTO IHead (ID, Document, \"Invoice no\", \"Invoice date\", Due, "
                      "\"Customer no\", Customer, Total, Printed, Rest, Paid, Archived) VALUES "
                      "(?, ?, ?, ?, ?, ?, 'History customer', ?, 1, ?, ?, ?)");
        Stmt row(db, "INSERT INTO IRow (ID, Item, Code, Description, Qty, Price, Sum) VALUES "
                     "(?, '1', 'P1', 'History row', 1, 100000, 100000)");
        const QDate start(2020, 1, 1);
        for (int d = 0; d < 1000; ++d) {
            ++id;
            const QDate date = start.addDays(d);
            head.integer(1, id);
            head.text(2, d % 10 == 0 ? "Receipt" : "Invoice");
            head.text(3, QByteArray::number(900000 + d));
            head.text(4, date.toString(Qt::ISODate).toUtf8());
            head.text(5, date.addDays(30).toString(Qt::ISODate).toUtf8());
            head.text(6, kHistoryCustomer);
            head.integer(7, 1250000);
            if (d % 3 == 0) {
                head.null(8);
                head.text(9, date.addDays(20).toString(Qt::ISODate).toUtf8());
                head.text(10, date.addDays(20).toString(Qt::ISODate).toUtf8());
            } else {
                head.integer(8, 250000);
                head.null(9);
                head.null(10);
            }
            head.step();
            head.reset();
            row.integer(1, id);
            row.step();
            row.reset();
        }
    }
    exec(db, QStringLiteral("COMMIT"));
    exec(db, QStringLiteral("ANALYZE"));
    sqlite3_close(db);
}

// The ordering term of an index as the database file defines it, so that the plain statements
// sort and seek exactly as the index does, however the table layer compares case.
QString indexTerm(sqlite3* db, const char* index) {
    Stmt st(db, "SELECT sql FROM sqlite_schema WHERE type = 'index' AND name = ?");
    st.text(1, index);
    if (!st.step())
        return QStringLiteral("Company");
    const QString sql =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.st, 0)));
    const int open = sql.indexOf(QLatin1Char('('));
    const int close = sql.lastIndexOf(QLatin1Char(')'));
    return sql.mid(open + 1, close - open - 1).trimmed();
}

void settle() {
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const Options o = parseOptions(app.arguments());
    if (!cacheIsValid(o)) {
        QElapsedTimer t;
        t.start();
        generate(o);
        print("generate database", t.elapsed() / 1000.0, "s");
    }
    addHistoryCustomer(o.cache);
    Service::DataDir = o.cache;
    Service::Country = QStringLiteral("GB");
    Service::CompanyCountry = QStringLiteral("GB");
    Service::Decimals = 2;
    // The register's settings file goes to a folder of its own, not into the cache.
    sqlite3* plain = openPlain(o.cache);
    const QString company = indexTerm(plain, "Customers:Company");
    constexpr int kVisible = 30; // rows a register window shows

    db::Session session(QStringLiteral("sBench"));
    for (const db::TableInfo& t : db::programTables())
        if (!t.password.isEmpty())
            session.AddPassword(t.password);
    auto customersTable = [&](db::Table& t) {
        t.setSession(&session);
        t.setDatabaseName(o.cache);
        t.setTableName(QStringLiteral("Customers"));
        t.setIndexName(QStringLiteral("Company"));
    };
    // The program keeps its connection while windows are open; so does the benchmark.
    db::Table keeper;
    customersTable(keeper);
    keeper.Open();

    // Each figure: the whole window ("window"), the table layer doing the reading the window
    // does ("layer"), and plain SQLite statements reading the same records ("sqlite").
    const int page = db::TableModel::kPageSize;

    // Opening: the first page of customers by company.
    print("open customer register window",
          timeIt(3,
                 [](int) {
                     TfmCustreg w(nullptr);
                     w.show();
                     settle();
                     w.gdCustreg->viewport()->repaint();
                     w.hide();
                 }),
          "ms");
    {
        Stmt first(plain, QStringLiteral("SELECT rowid, * FROM Customers ORDER BY %1, rowid "
                                         "LIMIT %2")
                              .arg(company)
                              .arg(page)
                              .toUtf8()
                              .constData());
        comparePair(
            "open customer register", 20,
            [&](int) {
                db::Table t;
                customersTable(t);
                t.Open();
                t.readRows(0, page);
                t.Close();
            },
            [&](int) {
                while (first.step())
                    readRow(first.st);
                first.reset();
            });
    }

    // One keystroke in the search box: the first customer whose company begins so, and a
    // screen of customers from there.
    const char* const prefixes[] = {"Ma", "Gr", "Wi", "Ha", "Su", "Ce", "Or"};
    {
        TfmCustreg w(nullptr);
        w.show();
        settle();
        print("search keystroke window",
              timeIt(20,
                     [&](int i) {
                         w.edSearch->setText(QLatin1String(prefixes[(i + 7) % 7]));
                         w.gdCustreg->viewport()->repaint();
                     }),
              "ms");
        w.close();
    }
    {
        Stmt seek(plain, QStringLiteral("SELECT rowid, * FROM Customers WHERE %1 >= ?1 ORDER BY "
                                        "%1, rowid LIMIT %2")
                             .arg(company)
                             .arg(kVisible)
                             .toUtf8()
                             .constData());
        db::Table t;
        customersTable(t);
        t.Open();
        comparePair(
            "search keystroke", 50,
            [&](int i) {
                t.Locate(QStringLiteral("Company"), QLatin1String(prefixes[(i + 7) % 7]),
                         db::LocateCaseInsensitive | db::LocatePartialKey);
                t.readRowsAfter(t.currentRecord(), kVisible);
            },
            [&](int i) {
                seek.text(1, prefixes[(i + 7) % 7]);
                while (seek.step())
                    readRow(seek.st);
                seek.reset();
            });
    }

    // The invoice history of the customer with 1 000 documents: the three sums, the list and
    // the rows of the first document.
    print("invoice history of 1000 documents window",
          timeIt(3,
                 [](int) {
                     TfmCustInvoices w(nullptr, QLatin1String(kHistoryCustomer),
                                       QStringLiteral("History customer"));
                     w.show();
                     settle();
                     w.gdInvoices->viewport()->repaint();
                     w.close();
                 }),
          "ms");
    {
        const QByteArray sums[] = {
            "SELECT SUM(Total) FROM IHead WHERE \"Customer no\" IS ?1 AND (Archived IS NULL) AND "
            "Printed = 1 AND Rest IS NULL AND Document IS 'Invoice'",
            "SELECT SUM(Rest) FROM IHead WHERE \"Customer no\" IS ?1 AND (Archived IS NULL) AND "
            "Printed = 1 AND Document IS 'Invoice'",
            "SELECT SUM(Total) FROM IHead WHERE \"Customer no\" IS ?1 AND Paid IS NOT NULL AND "
            "Printed = 1 AND Archived IS NOT NULL AND (Document IS 'Invoice' OR Document IS "
            "'Receipt')"};
        std::vector<std::unique_ptr<Stmt>> sumStatements;
        for (const QByteArray& sql : sums)
            sumStatements.push_back(std::make_unique<Stmt>(plain, sql.constData()));
        Stmt list(plain, "SELECT ID, Document, \"Invoice no\", \"Invoice date\", Printed, "
                         "Archived, Total, Due, Paid, Rest, Delay FROM IHead WHERE \"Customer "
                         "no\" IS ?1 ORDER BY Due");
        Stmt rows(plain, "SELECT rowid, * FROM IRow WHERE ID IS ?1 ORDER BY ID, rowid");
        comparePair(
            "invoice history of 1000 documents", 5,
            [&](int) {
                customers::historySums(session, o.cache, QLatin1String(kHistoryCustomer));
                db::Query q;
                q.setSession(&session);
                q.setDatabaseName(o.cache);
                customers::openHistoryList(q, QLatin1String(kHistoryCustomer));
                db::Table r;
                r.setSession(&session);
                r.setDatabaseName(o.cache);
                r.setTableName(QStringLiteral("IRow"));
                r.setIndexName(QStringLiteral("ID"));
                r.setMasterSource(&q, QStringLiteral("ID"), QStringLiteral("ID"));
                r.Open();
                r.readRows(0, page);
            },
            [&](int) {
                for (auto& st : sumStatements) {
                    st->text(1, kHistoryCustomer);
                    st->step();
                    st->reset();
                }
                list.text(1, kHistoryCustomer);
                qint64 firstId = -1;
                while (list.step()) {
                    if (firstId < 0)
                        firstId = sqlite3_column_int64(list.st, 0);
                    readRow(list.st);
                }
                list.reset();
                rows.integer(1, firstId);
                while (rows.step())
                    readRow(rows.st);
                rows.reset();
            });
    }

    // One page of the phone list: 20 marked customers laid out ("window"), against the
    // marked customers read through the filter and with plain SQLite.
    {
        TfmCustOut w(nullptr);
        customers::CustomerMarks marks(*w.dbCustOut);
        marks.clearAll();
        for (int i = 0; i < 20; ++i) {
            w.dbCustOut->Edit();
            w.dbCustOut->FieldByName(QStringLiteral("Mark")).setAsBoolean(true);
            w.dbCustOut->Post();
            w.dbCustOut->Next();
        }
        w.dbCustOut->setFilter(QStringLiteral("MARK = True"));
        w.dbCustOut->setFiltered(true);
        std::unique_ptr<TfmqrCustOutBase> form = w.createReport(TfmCustOut::List::Phone);
        int pages = 0;
        print("print one list page window",
              timeIt(5, [&](int) { pages = form->report()->prepare().pageCount(); }), "ms");
        print("print one list page: pages", pages, "");
        Stmt marked(plain, QStringLiteral("SELECT rowid, * FROM Customers WHERE Mark = 1 ORDER BY "
                                          "%1, rowid")
                               .arg(company)
                               .toUtf8()
                               .constData());
        comparePair(
            "print one list page", 5,
            [&](int) {
                for (w.dbCustOut->First(); !w.dbCustOut->Eof(); w.dbCustOut->Next())
                    w.dbCustOut->currentRecord();
            },
            [&](int) {
                while (marked.step())
                    readRow(marked.st);
                marked.reset();
            });
        w.dbCustOut->setFiltered(false);
        marks.clearAll();
        w.close();
    }
    sqlite3_close(plain);
    return 0;
}
