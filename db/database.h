#pragma once

#include "db/schema.h"
#include "db/sqlrewriter.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

class DataSet;
class Database;

// A prepared statement borrowed from the connection's cache; reset when it goes out of scope.
// Values are QVariant in stored form: null, qint64, double or QString.
class Statement {
public:
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value); // 1-based
    // Steps once: true with a row, false when done. Throws EngineError.
    bool step();
    // Runs to the end; the number of rows changed.
    int exec();
    int columnCount() const;
    QVariant value(int column) const;
    qint64 int64(int column) const;
    QString columnName(int column) const;
    QString declaredType(int column) const;
    sqlite3_stmt* handle() const { return m_stmt; }

private:
    Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_owned = false;
    QString m_sql;
};

// The one SQLite connection of a data directory. Every session of the process reaches a
// directory's tables through the same connection, so one transaction covers tables opened in
// different sessions. Kept alive by the tables, queries and transactions that use it.
class Database : public sql::SchemaLookup, public std::enable_shared_from_this<Database> {
public:
    // Opens (or shares) the connection of dir's MRV.db. Never creates the file. Throws
    // EngineError: TableNotFound when there is no database, NotADatabase for a file that is
    // not one of ours, CannotOpen when it cannot be read.
    static std::shared_ptr<Database> open(const QString& dir);
    // The path of the database file in dir.
    static QString fileName(const QString& dir);
    // Whether this program has a connection to dir's database open.
    static bool isOpen(const QString& dir);
    ~Database() override;

    QString directory() const { return m_dir; }
    sqlite3* handle() const { return m_db; }

    // Schema of a table, read from the file once (letter case of the name ignored).
    const TableInfo* findTable(const QString& name) const override;
    const TableInfo& table(const QString& name) const; // throws TableNotFound
    // Throws PasswordMissing unless the table has no password or one of these is it.
    void checkPassword(const TableInfo& table, const QStringList& passwords) const;

    // All-or-nothing work across every table of the directory. Nested calls use savepoints.
    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const { return m_depth > 0; }

    // Lock retries of the session that runs the next statements.
    void setLockRetries(int count, int waitMs);
    int lockRetries() const { return m_retries; }
    int lockWait() const { return m_waitMs; }

    // Change counters: a cursor's buffered rows are stale once the counter of its table moved.
    quint64 version(const TableInfo& table) const { return m_allVersion + table.changes; }
    void touch(const TableInfo& table) { ++table.changes; }
    void touch(const QString& table);
    void touchAll();

    // Before every write: refuses to go on inside a transaction that SQLite already undid.
    void checkWritable();
    // Turns an SQLite result into an EngineError and throws it.
    [[noreturn]] void fail(int rc, const QString& context = QString());
    // Runs SQL without results or parameters.
    void exec(const QString& sql);

    void registerDataSet(DataSet* set);
    void unregisterDataSet(DataSet* set);
    const std::vector<DataSet*>& dataSets() const { return m_dataSets; }

    // Statement cache (used by Statement).
    sqlite3_stmt* acquire(const QString& sql, bool* owned);
    void giveBack(const QString& sql, sqlite3_stmt* stmt, bool owned);

    // Runs PRAGMA integrity_check; "ok" when the file is whole.
    QString integrityCheck();

private:
    Database(const QString& dir, sqlite3* db);
    const TableInfo* loadTable(const QString& name) const;
    QString describeError(int rc, const QString& message) const;

    QString m_dir;
    sqlite3* m_db = nullptr;
    mutable QHash<QString, std::shared_ptr<TableInfo>> m_tables; // key: lower-case name
    mutable QHash<QString, bool> m_passwordChecks;
    QHash<QString, sqlite3_stmt*> m_cache;
    quint64 m_allVersion = 0;
    int m_depth = 0;
    bool m_broken = false;
    int m_retries = 15;
    int m_waitMs = 100;
    std::vector<DataSet*> m_dataSets;
    std::shared_ptr<Database> m_self; // keeps the connection while a transaction is open
};

// Writes of values that are derived from others (computed amounts) need not survive a power
// cut: while the guard lives, commits do not wait for the disk. They are still atomic, and an
// interrupted one leaves the file whole. Inside a transaction the guard does nothing.
class RelaxedDurability {
public:
    explicit RelaxedDurability(std::shared_ptr<Database> db);
    ~RelaxedDurability();
    RelaxedDurability(const RelaxedDurability&) = delete;
    RelaxedDurability& operator=(const RelaxedDurability&) = delete;

private:
    std::shared_ptr<Database> m_db;
    bool m_relaxed = false;
};

// Starts a transaction and rolls it back unless commit() was called.
class Transaction {
public:
    explicit Transaction(std::shared_ptr<Database> db);
    explicit Transaction(const QString& dataDir);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();

private:
    std::shared_ptr<Database> m_db;
    bool m_done = false;
};

// A table or column name as an SQL identifier, in double quotes.
inline QString quoteIdentifier(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

} // namespace db
