#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

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
    bool caseInsensitive = false; // folds every letter, not only ASCII (collation MRVNOCASE)
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
    QString password;            // only in the built-in definitions, never read from a file
    mutable QString selectList;  // "rowid, <every field>", built once by the first cursor
    mutable quint64 changes = 0; // counts writes, so that cursors know their rows are stale

    int fieldIndex(const QString& fieldName) const; // -1 when missing; letter case ignored
    const IndexInfo* findIndex(const QString& indexName) const;
    bool hasPassword() const { return !passwordHash.isEmpty(); }
    bool acceptsPassword(const QString& password) const;
};

// Name of the collation and of the SQL function used for case-insensitive comparisons.
inline constexpr const char* kNoCaseCollation = "MRVNOCASE";
// The database file inside a data directory.
inline constexpr const char* kDatabaseFile = "MRV.db";
// Marks a SQLite file as ours ("MRV1").
inline constexpr int kApplicationId = 0x4D525631;
inline constexpr int kSchemaVersion = 1;

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

} // namespace db
