#pragma once

#include <QString>

#include <stdexcept>

namespace db {

// Numeric codes of the table engine. The first two are the ones windows test for; the rest
// are ours and only need to be distinct and stable.
enum ErrorCode : int {
    KeyViolation = 9729,         // a unique index already holds the key
    RequiredFieldMissing = 9732, // a required field is empty
    ConstraintFailed = 9733,     // any other rule of the table
    TableNotFound = 10001,       // no such table in the data directory (or no MRV.db at all)
    PasswordMissing = 10002,     // the session does not hold the table's password
    LockFailed = 10003,          // the database stayed locked through every retry
    NotADatabase = 10004,        // the file is not a database of ours or not one at all
    DatabaseCorrupt = 10005,     // the database file is damaged
    CannotOpen = 10006,          // the file cannot be opened (permissions, missing folder)
    FieldNotFound = 10007,
    IndexNotFound = 10008,
    ParamNotFound = 10009,
    SqlSyntax = 10010,        // the SQL text could not be understood
    InvalidOperation = 10011, // wrong dataset state (post while browsing, closed table...)
    InvalidValue = 10012,     // a typed value that does not fit the field
    TableInUse = 10013,       // opened exclusively elsewhere
    WriteFailed = 10014,      // the disk refused a write (full, I/O error)
    EngineFailure = 10015,    // anything else SQLite reports
};

// The one exception type of the layer. code() is one of ErrorCode; message() is a sentence a
// window can show as it is.
class EngineError : public std::runtime_error {
public:
    EngineError(int code, const QString& message);

    int code() const { return m_code; }
    QString message() const { return m_message; }

private:
    int m_code;
    QString m_message;
};

// Thrown by a BeforePost handler (or anything it calls) to cancel the post quietly: Post then
// returns false and the record stays in edit or insert mode.
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// Maps an SQLite result code (extended codes included) to one of ours.
int errorCodeFromSqlite(int sqliteCode);

} // namespace db
