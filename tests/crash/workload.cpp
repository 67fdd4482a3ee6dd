#include "workload.h"

#include "db/database.h"
#include "db/datasetup.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/session.h"
#include "db/table.h"
#include "invoicing/documentstore.h"
#include "service/currency.h"
#include "service/settingsfile.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

namespace workload {

namespace {

db::Session& passwords() {
    static db::Session s = [] {
        db::Session session(QStringLiteral("workload"));
        for (const db::TableInfo& t : db::programTables())
            if (!t.password.isEmpty())
                session.AddPassword(t.password);
        return session;
    }();
    return s;
}

void openTable(db::Table& t, const QString& dir, const QString& name) {
    t.setSession(&passwords());
    t.setDatabaseName(dir);
    t.setTableName(name);
    t.Open();
}

// One line in one write, so that a kill leaves the line whole or not there.
void appendLine(const QString& file, const QByteArray& line) {
    const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0)
        return;
    const QByteArray whole = line + '\n';
    (void)!::write(fd, whole.constData(), size_t(whole.size()));
    ::close(fd);
}

QString invoiceIni(const QString& dir) {
    return dir + QStringLiteral("/MRVInv.ini");
}

} // namespace

bool prepare(const QString& dir, QString* error) {
    if (!db::createDataDir(dir, false, error))
        return false;
    try {
        db::Table customers, products;
        openTable(customers, dir, QStringLiteral("Customers"));
        customers.Append();
        customers.FieldByName(QStringLiteral("Cust. no")).setAsString(QStringLiteral("C1"));
        customers.FieldByName(QStringLiteral("Company")).setAsString(QStringLiteral("Crash Ltd"));
        customers.Post();
        openTable(products, dir, QStringLiteral("Products"));
        for (int i = 1; i <= 5; ++i) {
            products.Append();
            products.FieldByName(QStringLiteral("Code")).setAsString(QStringLiteral("P%1").arg(i));
            products.FieldByName(QStringLiteral("Description"))
                .setAsString(QStringLiteral("Product %1").arg(i));
            products.Post();
        }
    } catch (const db::EngineError& e) {
        if (error)
            *error = e.message();
        return false;
    }
    return true;
}

void saveRound(const QString& dir, const QString& sideFile, int number) {
    {
        db::Transaction fill(dir);
        db::Table work;
        openTable(work, dir, QStringLiteral("TRow"));
        work.EmptyTable();
        for (int i = 0; i < kRowsPerDocument; ++i) {
            work.Append();
            work.FieldByName(QStringLiteral("Code"))
                .setAsString(QStringLiteral("P%1").arg(1 + i % 5));
            work.FieldByName(QStringLiteral("Description"))
                .setAsString(QStringLiteral("Document %1 row %2").arg(number).arg(i));
            work.FieldByName(QStringLiteral("Qty")).setAsFloat(1 + i % 3);
            work.FieldByName(QStringLiteral("Price"))
                .setAsCurrency(Currency::fromRaw(100 * 1000 + i));
            work.FieldByName(QStringLiteral("Sum"))
                .setAsCurrency(Currency::fromRaw(100 * 1000 + i));
            work.Post();
        }
        fill.commit();
    }
    invoicing::SaveRequest request;
    request.printed = true;
    request.head.kind = QStringLiteral("Invoice");
    request.head.number = QString::number(number);
    request.head.date = QDate(2026, 12, 9);
    request.head.due = QDate(2027, 1, 8);
    request.head.customerNo = QStringLiteral("C1");
    request.head.customer = QStringLiteral("Crash Ltd");
    request.head.total = Currency::fromRaw(100 * 50000 + number);
    invoicing::saveDocument(request, passwords(), passwords(), dir);
    appendLine(sideFile, QByteArray::number(number));
    invoicing::updateStatistics(request.head, passwords(), passwords(), dir);

    SettingsFile ini(invoiceIni(dir));
    for (int i = 0; i < kFillerKeys; ++i)
        ini.writeString(
            QStringLiteral("Invoice"), QStringLiteral("Key%1").arg(i),
            QStringLiteral("round %1 key %2 %3").arg(number).arg(i).arg(QString(40, u'x')));
    ini.writeInteger(QStringLiteral("Invoice"), QStringLiteral("Round"), number);
    QString error;
    if (!ini.updateFile(&error))
        throw db::EngineError(db::WriteFailed, error);
}

QSet<int> committedNumbers(const QString& sideFile) {
    QSet<int> numbers;
    QFile file(sideFile);
    if (!file.open(QIODevice::ReadOnly))
        return numbers;
    const QByteArray all = file.readAll();
    const QList<QByteArray> lines = all.split('\n');
    // The part after the last line break is a line the kill cut short.
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        bool ok = false;
        const int n = lines[i].toInt(&ok);
        if (ok)
            numbers.insert(n);
    }
    return numbers;
}

int nextNumber(const QString& sideFile) {
    int next = 1;
    for (int n : committedNumbers(sideFile))
        next = std::max(next, n + 1);
    return next;
}

QStringList problems(const QString& dir, const QSet<int>& committed) {
    QStringList out;
    try {
        auto database = db::Database::open(dir);
        const QString integrity = database->integrityCheck();
        if (integrity != QLatin1String("ok"))
            out << QStringLiteral("integrity_check: %1").arg(integrity);
        sqlite3* raw = database->handle();
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(
            raw,
            "SELECT h.\"Invoice no\", (SELECT COUNT(*) FROM IRow r WHERE r.ID = h.ID) "
            "FROM IHead h",
            -1, &st, nullptr);
        QSet<int> stored;
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            const int number = sqlite3_column_int(st, 0);
            const int rows = sqlite3_column_int(st, 1);
            stored.insert(number);
            if (rows != kRowsPerDocument)
                out << QStringLiteral("document %1 has %2 rows").arg(number).arg(rows);
        }
        sqlite3_finalize(st);
        for (int n : committed)
            if (!stored.contains(n))
                out << QStringLiteral("committed document %1 is lost").arg(n);
    } catch (const db::EngineError& e) {
        out << QStringLiteral("the database cannot be read: %1").arg(e.message());
    }

    if (QFile::exists(invoiceIni(dir))) {
        SettingsFile ini(invoiceIni(dir));
        const int round = ini.readInteger(QStringLiteral("Invoice"), QStringLiteral("Round"), -1);
        if (round < 0)
            out << QStringLiteral("MRVInv.ini has no round");
        for (int i = 0; i < kFillerKeys && round >= 0; ++i) {
            const QString expected =
                QStringLiteral("round %1 key %2 %3").arg(round).arg(i).arg(QString(40, u'x'));
            const QString value =
                ini.readString(QStringLiteral("Invoice"), QStringLiteral("Key%1").arg(i));
            if (value != expected) {
                out << QStringLiteral("MRVInv.ini is not whole: Key%1=%2").arg(i).arg(value);
                break;
            }
        }
    }
    // Temporary files of an interrupted replacement may stay; the file itself must not change.
    return out;
}

int postAndStore(const QString& dir, const QString& tag, int count, const QString& sideFile) {
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        try {
            db::Table customers;
            openTable(customers, dir, QStringLiteral("Customers"));
            customers.Append();
            customers.FieldByName(QStringLiteral("Cust. no"))
                .setAsString(QStringLiteral("%1-%2").arg(tag).arg(i));
            customers.FieldByName(QStringLiteral("Company"))
                .setAsString(QStringLiteral("Company %1 %2").arg(tag).arg(i));
            customers.Post();
            appendLine(sideFile, QStringLiteral("C %1-%2").arg(tag).arg(i).toUtf8());
        } catch (const db::EngineError&) {
            ++failures;
        }
        try {
            db::Table head, rows;
            openTable(head, dir, QStringLiteral("IHead"));
            openTable(rows, dir, QStringLiteral("IRow"));
            const QString number = QStringLiteral("%1%2").arg(tag).arg(i);
            db::Transaction t(head.database());
            head.Append();
            head.FieldByName(QStringLiteral("Document")).setAsString(QStringLiteral("Invoice"));
            head.FieldByName(QStringLiteral("Invoice no")).setAsString(number);
            head.FieldByName(QStringLiteral("Customer no"))
                .setAsString(QStringLiteral("%1-%2").arg(tag).arg(i));
            head.Post();
            const qint64 id = head.FieldByName(QStringLiteral("ID")).AsInteger();
            for (int r = 0; r < 5; ++r) {
                rows.Append();
                rows.FieldByName(QStringLiteral("ID")).setAsInteger(id);
                rows.FieldByName(QStringLiteral("Description"))
                    .setAsString(QStringLiteral("%1 row %2").arg(number).arg(r));
                rows.Post();
            }
            t.commit();
            appendLine(sideFile, QStringLiteral("D %1").arg(number).toUtf8());
        } catch (const db::EngineError&) {
            ++failures;
        }
    }
    return failures;
}

} // namespace workload
