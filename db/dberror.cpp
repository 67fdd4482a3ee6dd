#include "db/dberror.h"

#include <sqlite3.h>

namespace db {

EngineError::EngineError(int code, const QString& message)
    : std::runtime_error(message.toStdString())
    , m_code(code)
    , m_message(message) {}

int errorCodeFromSqlite(int sqliteCode) {
    switch (sqliteCode) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_ROWID:
        return KeyViolation;
    case SQLITE_CONSTRAINT_NOTNULL:
        return RequiredFieldMissing;
    default:
        break;
    }
    switch (sqliteCode & 0xff) {
    case SQLITE_CONSTRAINT:
        return ConstraintFailed;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return LockFailed;
    case SQLITE_NOTADB:
        return NotADatabase;
    case SQLITE_CORRUPT:
        return DatabaseCorrupt;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_READONLY:
        return CannotOpen;
    case SQLITE_IOERR:
    case SQLITE_FULL:
        return WriteFailed;
    default:
        return EngineFailure;
    }
}

} // namespace db
