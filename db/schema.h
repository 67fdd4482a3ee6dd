#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

struct sqlite3;

namespace db {

// Kinds of fields. The storage of each is fixed (see docs/architecture.md, db/):
// String and Memo are TEXT, Integer/SmallInt/AutoInc INTEGER, Float REAL, Currency INTEGER
// ten-thousandths, Date ISO text, Boolean INTEGER 0/1. An empty value is NULL, except for
// booleans, which are never NULL.
enum class FieldType { String, Memo, Integer, SmallInt, AutoInc, Float, Currency, Date, Boolean };

struct FieldInfo {
    QString name;
    FieldType type = FieldType::String;
    int size = 0; // characters of a String field; 0 = unlimited
    bool required = false;
    QVariant defaultValue; // stored form, null when there is none
};

struct IndexInfo {
    QString name;       // the name windows select it by ("Invoice no")
    QString sqliteName; // "<Table>:<name>" inside the database file
    QStringList fields;
    // Folds every letter, not only ASCII: the index is on the fields' folded shadow columns.
    bool caseInsensitive = false;
    bool unique = false;
};

// One table as the layer sees it: read from the database file on first use, or built from
// the definitions below when a database is created.
struct TableInfo {
    QString name;
    std::vector<FieldInfo> fields;
    std::vector<IndexInfo> indexes;
    QString primaryIndexName; // the name that selects the primary order ("ID"), may be empty
    int rowidField = -1;      // index of the auto-increment field, -1 when there is none
    QByteArray passwordSalt;  // empty when the table has no password
    QByteArray passwordHash;
    // Fields (indexes into fields) that have a folded shadow column: the fields of the
    // case-insensitive indexes. The shadow columns are not fields.
    std::vector<int> foldedFields;
    QString password;            // only in the built-in definitions, never read from a file
    mutable QString selectList;  // "rowid, <every field>", built once by the first cursor
    mutable quint64 changes = 0; // counts writes, so that cursors know their rows are stale

    int fieldIndex(const QString& fieldName) const; // -1 when missing; letter case ignored
    bool isFolded(int field) const;
    const IndexInfo* findIndex(const QString& indexName) const;
    bool hasPassword() const { return !passwordHash.isEmpty(); }
    bool acceptsPassword(const QString& password) const;
};

// Shadow column "fold:<field>": the field's text folded for every letter (foldCase), NULL
// when the field is empty. The table layer writes it with the field; what other programs write
// is noted by triggers in mrv_refold and folded again when the program opens the file.
inline constexpr const char* kFoldPrefix = "fold:";
QString foldColumn(const QString& field);
bool isFoldColumn(const QString& column);
// The database file inside a data directory.
inline constexpr const char* kDatabaseFile = "MRV.db";
// Marks a SQLite file as ours ("MRV1").
inline constexpr int kApplicationId = 0x4D525631;
// 1: case-insensitive indexes used a collation of our own; 2: folded shadow columns.
inline constexpr int kSchemaVersion = 2;

// Declared SQLite type of a field kind, and the kind of a declared type.
QString declaredType(const FieldInfo& field);
FieldType fieldTypeFromDeclared(const QString& declared, bool isRowidAlias, int* size);

// Every table of the program, with fields, indexes, defaults and passwords.
const std::vector<TableInfo>& programTables();

// Salted hash of a table password.
QByteArray passwordHash(const QByteArray& salt, const QString& password);

// Creates MRV.db in dir with every table and index. Fails (false, message) when the file
// exists already or cannot be written.
bool createDatabase(const QString& dir, QString* error);

// A name as an SQL identifier ("a""b") and a text as an SQL string literal ('it''s').
QString quoted(const QString& name);
QString quotedText(const QString& text);
// Runs statements without results; false with SQLite's message in `error`.
bool exec(sqlite3* db, const QString& sql, QString* error);

// SQL of a program table as it is created: the table with its shadow columns, its indexes and
// the triggers that note writes by other programs.
QString createTableSql(const TableInfo& table);
QString createIndexSql(const TableInfo& table, const IndexInfo& index);
QStringList createTriggerSql(const TableInfo& table);
// Writes a program table's entry in mrv_tables (a fresh password hash, the primary index).
bool registerTable(sqlite3* db, const TableInfo& table, QString* error);
// The table that triggers fill with rows whose folded columns may be stale.
inline constexpr const char* kRefoldTableSql =
    "CREATE TABLE mrv_refold (tbl TEXT NOT NULL, rid INTEGER NOT NULL, PRIMARY KEY (tbl, rid)) "
    "WITHOUT ROWID";

} // namespace db
