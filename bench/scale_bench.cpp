// The program's steps on a company of 100 000 customers and 1 000 000 documents of 5 rows
// (the db_bench data, generated once into its cache folder), each beside plain SQLite doing
// the same work in the same run: the statements the program ran for the step, recorded from
// its connection with their values, replayed on a plain connection that reads every row.
//
//   scale_bench [--cache DIR] [--customers N] [--documents N]
//
// Prints per step: the layer's time, plain SQLite's and their ratio (medians of 7 batches).
#include "benchdata.h"

#include "db/query.h"
#include "db/schema.h"
#include "db/session.h"
#include "db/table.h"
#include "db/tablemodel.h"
#include "invoicing/companions.h"
#include "invoicing/tfminvoice.h"
#include "service/service.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QHash>
#include <QStringList>

#include <map>

namespace {

// A session that holds every table password, and tables and queries set up in it on the
// generated company.
class Company {
public:
    explicit Company(const QString& dir)
        : m_dir(dir) {
        for (const db::TableInfo& t : db::programTables())
            if (!t.password.isEmpty())
                session.AddPassword(t.password);
    }
    void table(db::Table& t, const char* name, const char* index) {
        t.setSession(&session);
        t.setDatabaseName(m_dir);
        t.setTableName(QLatin1String(name));
        t.setIndexName(QLatin1String(index));
    }
    void query(db::Query& q, const QStringList& sql) {
        q.setSession(&session);
        q.setDatabaseName(m_dir);
        q.SQL() = sql;
    }
    db::Session session{QStringLiteral("sBench")};

private:
    QString m_dir;
};

// The credit check of a customer in the invoice editor: the open and the part-paid sums.
class CreditCheck {
public:
    explicit CreditCheck(Company& company) {
        const QStringList where = {
            QStringLiteral(" WHERE"), QStringLiteral(" (\"Customer no\" = :CustNo)"),
            QStringLiteral(" AND ((Archived = :ZeroDate) OR (Archived = NULL))"),
            QStringLiteral(" AND (Printed = True)")};
        company.query(
            m_open, QStringList{QStringLiteral("Select SUM(Total) AS Summed FROM Ihead")} + where +
                        QStringList{QStringLiteral(" AND (Rest = NULL)"),
                                    QStringLiteral(" AND (Document = :Invoice)")});
        company.query(m_partly,
                      QStringList{QStringLiteral("Select SUM(Rest) AS Partly FROM Ihead")} + where +
                          QStringList{QStringLiteral(" AND (Document = :Invoice)")});
    }
    // The customer's outstanding sum.
    Currency run(const QString& customerNo) {
        Currency sum;
        for (db::Query* q : {&m_open, &m_partly}) {
            q->Close();
            q->ParamByName(QStringLiteral("CustNo")).setAsString(customerNo);
            q->ParamByName(QStringLiteral("ZeroDate")).setAsDate(QDate(1899, 12, 30));
            q->ParamByName(QStringLiteral("Invoice")).setAsString(QStringLiteral("Invoice"));
            q->Open();
            sum += q->Fields(0).AsCurrency();
        }
        return sum;
    }

private:
    db::Query m_open, m_partly;
};

// Saves a document of the given number of rows as the editor does: head and rows in one
// transaction (rows linked to head by its master source).
inline void saveDocument(db::Table& head, db::Table& rows, int rowCount) {
    db::Transaction t(head.database());
    head.Append();
    head.FieldByName(QStringLiteral("Document")).setAsString(QStringLiteral("Invoice"));
    head.FieldByName(QStringLiteral("Customer no")).setAsString(QStringLiteral("17"));
    head.FieldByName(QStringLiteral("Customer")).setAsString(QStringLiteral("Customer 17"));
    head.FieldByName(QStringLiteral("Invoice date")).setAsDate(QDate::currentDate());
    head.FieldByName(QStringLiteral("Total")).setAsCurrency(Currency::fromInt(1000));
    head.Post();
    for (int r = 0; r < rowCount; ++r) {
        rows.Append();
        rows.FieldByName(QStringLiteral("Item")).setAsString(QString::number(r + 1));
        rows.FieldByName(QStringLiteral("Description")).setAsString(QStringLiteral("Saved row"));
        rows.FieldByName(QStringLiteral("Qty")).setAsFloat(2);
        rows.FieldByName(QStringLiteral("Price")).setAsCurrency(Currency::fromInt(5));
        rows.FieldByName(QStringLiteral("Sum")).setAsCurrency(Currency::fromInt(10));
        rows.Post();
    }
    t.commit();
}

// Generates the cache unless it is valid already.
inline void ensureCache(const Options& o) {
    if (cacheIsValid(o))
        return;
    QElapsedTimer t;
    t.start();
    generate(o);
    print("generate database", t.elapsed() / 1000.0, "s");
}

// Every statement a connection runs while recording, with its bound values written in.
class Recorder {
public:
    explicit Recorder(sqlite3* h)
        : m_h(h) {}
    void start() {
        m_sql.clear();
        sqlite3_trace_v2(m_h, SQLITE_TRACE_STMT, &Recorder::note, this);
    }
    QStringList stop() {
        sqlite3_trace_v2(m_h, 0, nullptr, nullptr);
        return m_sql;
    }

private:
    static int note(unsigned, void* self, void* stmt, void* text) {
        // Statements inside triggers come as "-- TRIGGER name": their statement runs them.
        if (static_cast<const char*>(text)[0] == '-' && static_cast<const char*>(text)[1] == '-')
            return 0;
        char* expanded = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(stmt));
        static_cast<Recorder*>(self)->m_sql << QString::fromUtf8(expanded);
        sqlite3_free(expanded);
        return 0;
    }
    sqlite3* m_h;
    QStringList m_sql;
};

// Runs recorded statements on a plain connection, each prepared once, every row read.
class Replayer {
public:
    explicit Replayer(sqlite3* plain)
        : m_db(plain) {}
    ~Replayer() {
        for (sqlite3_stmt* st : std::as_const(m_cache))
            sqlite3_finalize(st);
    }
    void run(const QStringList& statements) {
        for (const QString& sql : statements) {
            sqlite3_stmt*& st = m_cache[sql];
            if (!st) {
                const QByteArray bytes = sql.toUtf8();
                check(sqlite3_prepare_v2(m_db, bytes.constData(), bytes.size(), &st, nullptr), m_db,
                      bytes.constData());
            }
            int rc;
            while ((rc = sqlite3_step(st)) == SQLITE_ROW)
                readRow(st);
            check(rc, m_db, "replay");
            sqlite3_reset(st);
        }
    }

private:
    sqlite3* m_db;
    QHash<QString, sqlite3_stmt*> m_cache;
};

// Records what the layer runs for each input (the warm-up included), then times both sides.
void step(const char* name, int runs, sqlite3* layerDb, Replayer& plain,
          const std::function<void(int)>& layer) {
    Recorder rec(layerDb);
    std::map<int, QStringList> recorded;
    for (int i = -1; i < runs; ++i) {
        rec.start();
        layer(i);
        recorded[i] = rec.stop();
    }
    comparePair(name, runs, layer, [&](int i) { plain.run(recorded[i]); });
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const Options o = parseOptions(app.arguments());
    ensureCache(o);
    const QString dir = o.cache;
    Service::copyShippedDataFiles(dir);
    Service::DataDir = dir;
    Service::VAT = true;
    Service::Decimals = 2;
    Service::CompanyName = QStringLiteral("Bench");
    // Nothing may wait for a person: messages are counted and answered.
    int messages = 0;
    ui::setMessageHook([&](const ui::MessageRequest& r) {
        if (++messages <= 3)
            std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return ui::MsgButton::OK;
    });
    QRandomGenerator rnd(7);

    Company company(dir);

    // The program keeps its connection while windows are open; so does the benchmark.
    db::Table keeper;
    company.table(keeper, "VAT", "");
    keeper.Open();
    sqlite3* layerDb = keeper.database()->handle();
    sqlite3* plainDb = openPlain(dir);
    Replayer plain(plainDb);

    // One keystroke in the customer look-up: the leading part of a company, any letter case.
    {
        db::Table c;
        company.table(c, "Customers", "Company");
        c.Open();
        std::vector<QString> prefixes;
        for (int i = 0; i < 101; ++i)
            prefixes.push_back(
                QString::fromUtf8(kWords[rnd.bounded(28)]).left(1 + rnd.bounded(4)).toUpper());
        step("customer look-up keystroke", 100, layerDb, plain, [&](int i) {
            c.Locate(QStringLiteral("Company"), prefixes[i + 1],
                     db::LocateCaseInsensitive | db::LocatePartialKey);
            for (int r = 0; r < 20 && !c.Eof(); ++r, c.Next())
                c.FieldByName(QStringLiteral("Company")).AsString();
        });
    }

    // A grid's first screen of a table in an index order: 30 rows of every column.
    auto firstScreen = [&](const char* name, const char* index, int rows) {
        db::Table t;
        company.table(t, name, index);
        t.Open();
        db::TableModel model(&t);
        const int n = std::min(rows, model.rowCount());
        for (int r = 0; r < n; ++r)
            for (int col = 0; col < model.columnCount(); ++col)
                model.data(model.index(r, col));
    };
    // The stored-document finder over the editor's heads in invoice number order.
    step("finder first screen", 20, layerDb, plain,
         [&](int) { firstScreen("IHead", "Invoice no", 30); });

    // The credit check of a customer: the open and the part-paid sums.
    {
        CreditCheck credit(company);
        step("credit check", 200, layerDb, plain,
             [&](int) { credit.run(QString::number(1 + rnd.bounded(o.customers))); });
    }

    // A customer's invoice history as its window loads it: three sums and the list.
    {
        db::Query done, list;
        company.query(done,
                      {QStringLiteral("Select SUM(Total) AS Done FROM Ihead"),
                       QStringLiteral(" WHERE"), QStringLiteral(" (\"Customer no\" = :CustNo)"),
                       QStringLiteral(" AND (Paid > :ZeroDate)"),
                       QStringLiteral(" AND (Printed = True)"),
                       QStringLiteral(" AND (Archived > :ZeroDate)"),
                       QStringLiteral(" AND ((Document = :Invoice) OR (Document = :Receipt))")});
        company.query(
            list, {QStringLiteral("SELECT ID, Document, \"Invoice no\", \"Invoice date\", Printed, "
                                  "Archived, Total, Due, Paid, Rest, Delay"),
                   QStringLiteral("FROM IHEAD "),
                   QStringLiteral("WHERE \"Customer no\" = :CustNo ORDER BY Due")});
        db::Table rows;
        company.table(rows, "IRow", "ID");
        rows.Open();
        rows.setMasterSource(&list, QStringLiteral("ID"), QStringLiteral("ID"));
        step("customer invoice history", 100, layerDb, plain, [&](int) {
            const QString cust = QString::number(1 + rnd.bounded(o.customers));
            done.Close();
            done.ParamByName(QStringLiteral("CustNo")).setAsString(cust);
            done.ParamByName(QStringLiteral("ZeroDate")).setAsDate(QDate(1899, 12, 30));
            done.ParamByName(QStringLiteral("Invoice")).setAsString(QStringLiteral("Invoice"));
            done.ParamByName(QStringLiteral("Receipt")).setAsString(QStringLiteral("Receipt"));
            done.Open();
            list.Close();
            list.ParamByName(QStringLiteral("CustNo")).setAsString(cust);
            list.Open();
            for (list.First(); !list.Eof(); list.Next())
                list.FieldByName(QStringLiteral("Total")).AsCurrency();
            list.First();
            for (rows.First(); !rows.Eof(); rows.Next())
                rows.FieldByName(QStringLiteral("Sum")).AsCurrency();
        });
    }

    // The customer register opening: the first screen of Customers by company, read by key.
    step("register opening", 20, layerDb, plain,
         [&](int) { firstScreen("Customers", "Company", 40); });

    // A document saved: its head and 5 rows in one transaction.
    {
        db::Table head, rows;
        company.table(head, "IHead", "Invoice no");
        company.table(rows, "IRow", "ID");
        head.Open();
        rows.Open();
        rows.setMasterSource(&head, QStringLiteral("ID"));
        step("document save (head + 5 rows)", 20, layerDb, plain,
             [&](int) { saveDocument(head, rows, 5); });
    }

    // The invoice editor and its four companions, as "Write invoice" creates them (last:
    // the windows' timers and signals stay behind in the event loop's process).
    step("editor creation", 3, layerDb, plain,
         [&](int) { InvoicingWindows windows(nullptr, EditorOwner::MainWindow); });

    // Finance charging's list: every late-paid head that would bear interest, read whole.
    {
        db::Query q;
        company.query(
            q, {QStringLiteral("SELECT * "), QStringLiteral("FROM IHEAD "),
                QStringLiteral("WHERE ((Total > 0) AND (Paid <> NULL) AND ((Rest = 0) OR (Rest = "
                               "NULL)) AND ((Total * :Rta * Delay) > :Trosk) AND (\"Interest "
                               "charged\" = NULL))")});
        int listed = 0;
        step("finance charging list", 1, layerDb, plain, [&](int) {
            q.Close();
            q.ParamByName(QStringLiteral("Rta")).setAsFloat(8.0);
            // 8 % a year, at least 50 of interest.
            q.ParamByName(QStringLiteral("Trosk")).setAsCurrency(Currency::fromInt(50 * 36000));
            q.Open();
            listed = q.RecordCount();
        });
        print("finance charging list rows", listed, "rows");
    }
    sqlite3_close(plainDb);
    if (messages > 0)
        print("messages shown", messages, "");
    return 0;
}
