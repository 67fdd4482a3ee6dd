#include "db/database.h"

#include "db/dataset.h"
#include "db/dberror.h"
#include "db/faultvfs.h"
#include "db/logging.h"
#include "db/nocase.h"
#include "db/schemaupgrade.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <sqlite3.h>

namespace db {

namespace {

QHash<QString, std::weak_ptr<Database>>& registry() {
    static QHash<QString, std::weak_ptr<Database>> r;
    return r;
}

int busyHandler(void* data, int count) {
    auto* d = static_cast<Database*>(data);
    if (count >= d->lockRetries())
        return 0;
    QThread::msleep(static_cast<unsigned long>(d->lockWait()));
    return 1;
}

QString registryKey(const QString& dir) {
    const QFileInfo info(dir);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

// --- Statement --------------------------------------------------------------------------------

Statement::Statement(Database& db, const QString& sql)
    : m_db(db)
    , m_sql(sql) {
    m_stmt = db.acquire(sql, &m_owned);
}

Statement::~Statement() {
    m_db.giveBack(m_sql, m_stmt, m_owned);
}

void Statement::bind(int index, const QVariant& value) {
    int rc = SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        rc = sqlite3_bind_null(m_stmt, index);
        break;
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Bool:
        rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
        rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    default: {
        if (value.isNull()) {
            rc = sqlite3_bind_null(m_stmt, index);
            break;
        }
        const QByteArray bytes = value.toString().toUtf8();
        rc = sqlite3_bind_text(m_stmt, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
    }
    }
    if (rc != SQLITE_OK)
        m_db.fail(rc);
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    m_db.fail(rc);
}

int Statement::exec() {
    while (step()) {
    }
    return sqlite3_changes(m_db.handle());
}

int Statement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

QVariant Statement::value(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qint64>(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_NULL:
        return QVariant();
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)));
    }
    }
}

qint64 Statement::int64(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::declaredType(int column) const {
    const char* t = sqlite3_column_decltype(m_stmt, column);
    return t ? QString::fromUtf8(t) : QString();
}

// --- Database ---------------------------------------------------------------------------------

QString Database::fileName(const QString& dir) {
    return QDir(dir).filePath(QLatin1String(kDatabaseFile));
}

bool Database::isOpen(const QString& dir) {
    return !registry().value(registryKey(dir)).expired();
}

std::shared_ptr<Database> Database::open(const QString& dir) {
    // Most opens name the folder the same way as the last one: no file system call then.
    static QHash<QString, std::weak_ptr<Database>> byName;
    if (auto existing = byName.value(dir).lock())
        return existing;
    const QString key = registryKey(dir);
    if (auto existing = registry().value(key).lock()) {
        byName.insert(dir, existing);
        return existing;
    }
    const QString file = fileName(dir);
    if (!QFileInfo(file).isFile())
        throw EngineError(TableNotFound,
                          QStringLiteral("There is no database in %1 (%2 is missing)")
                              .arg(QDir::toNativeSeparators(dir), QLatin1String(kDatabaseFile)));
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(file.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE,
                                   FaultInjection::vfsName());
    if (rc != SQLITE_OK) {
        const QString msg = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString();
        sqlite3_close(handle);
        throw EngineError(
            CannotOpen,
            QStringLiteral("Cannot open %1: %2").arg(QDir::toNativeSeparators(file), msg));
    }
    std::shared_ptr<Database> db(new Database(dir, handle));
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_handler(handle, busyHandler, db.get());
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    registerNoCase(handle);
    // The first read tells a damaged or foreign file apart before anything is written.
    {
        Statement st(*db, QStringLiteral("PRAGMA application_id"));
        const bool row = st.step();
        if (!row || st.int64(0) != kApplicationId)
            throw EngineError(
                NotADatabase,
                QStringLiteral("%1 is not a Merovia database").arg(QDir::toNativeSeparators(file)));
    }
    db->exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    // FULL: a committed record is on the disk before Post returns, not only in the OS cache.
    db->exec(QStringLiteral("PRAGMA synchronous=FULL"));
    db->exec(QStringLiteral("PRAGMA cache_size=-16000"));
    QString upgradeError;
    if (!upgradeSchema(handle, &upgradeError))
        throw EngineError(CannotOpen, QStringLiteral("Cannot bring %1 up to date: %2")
                                          .arg(QDir::toNativeSeparators(file), upgradeError));
    registry().insert(key, db);
    byName.insert(dir, db);
    qCDebug(lcDb) << "opened" << file;
    return db;
}

Database::Database(const QString& dir, sqlite3* db)
    : m_dir(dir)
    , m_db(db) {}

Database::~Database() {
    for (sqlite3_stmt* st : std::as_const(m_cache))
        sqlite3_finalize(st);
    m_cache.clear();
    sqlite3_close_v2(m_db);
    // Remove only our own entry: a newer connection to the same folder may be registered.
    for (auto it = registry().begin(); it != registry().end();) {
        if (it.value().expired())
            it = registry().erase(it);
        else
            ++it;
    }
}

sqlite3_stmt* Database::acquire(const QString& sql, bool* owned) {
    *owned = false;
    sqlite3_stmt* st = m_cache.value(sql);
    if (st && !sqlite3_stmt_busy(st))
        return st;
    const QByteArray bytes = sql.toUtf8();
    sqlite3_stmt* fresh = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, bytes.constData(), bytes.size(), &fresh, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(fresh);
        fail(rc, sql);
    }
    if (st) {
        *owned = true; // the cached one is in use further up the stack
    } else if (m_cache.size() < 400) {
        m_cache.insert(sql, fresh);
    } else {
        *owned = true;
    }
    return fresh;
}

void Database::giveBack(const QString&, sqlite3_stmt* stmt, bool owned) {
    if (!stmt)
        return;
    if (owned) {
        sqlite3_finalize(stmt);
        return;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
}

void Database::exec(const QString& sql) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    sqlite3_free(msg);
    if (rc != SQLITE_OK)
        fail(rc, sql);
}

QString Database::describeError(int rc, const QString& message) const {
    const QString file = QDir::toNativeSeparators(fileName(m_dir));
    const int code = errorCodeFromSqlite(rc);
    const int colon = message.indexOf(QLatin1String("failed: "));
    QString subject = colon >= 0 ? message.mid(colon + 8).trimmed() : QString();
    if (subject.startsWith(QLatin1String("index '")))
        subject = subject.mid(7).chopped(1).section(QLatin1Char(':'), 1);
    QString table, field = subject;
    if (subject.contains(QLatin1Char('.'))) {
        table = subject.section(QLatin1Char('.'), 0, 0);
        field = subject.section(QLatin1Char('.'), 1, -1); // "Cust. no" has a point of its own
    }
    if (isFoldColumn(field)) // a unique case-insensitive index: name the field itself
        field = field.mid(int(qstrlen(kFoldPrefix)));
    switch (code) {
    case KeyViolation:
        return QStringLiteral("Key violation: the value of \"%1\" is in use already%2.")
            .arg(field, table.isEmpty() ? QString() : QStringLiteral(" in table %1").arg(table));
    case RequiredFieldMissing:
        return QStringLiteral("Field \"%1\" must have a value%2.")
            .arg(field, table.isEmpty() ? QString() : QStringLiteral(" (table %1)").arg(table));
    case LockFailed:
        return QStringLiteral("The database %1 is locked by another program; gave up after %2 "
                              "retries.")
            .arg(file)
            .arg(m_retries);
    case NotADatabase:
        return QStringLiteral("%1 is not a database.").arg(file);
    case DatabaseCorrupt:
        return QStringLiteral("The database %1 is damaged (%2).").arg(file, message);
    case WriteFailed:
        return QStringLiteral("Could not write to %1: %2.").arg(file, message);
    case CannotOpen:
        return QStringLiteral("Cannot use %1: %2.").arg(file, message);
    default:
        return message;
    }
}

void Database::fail(int rc, const QString& context) {
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
    if (m_depth > 0 && sqlite3_get_autocommit(m_db))
        m_broken = true; // SQLite has undone the whole transaction
    int code = errorCodeFromSqlite(rc);
    if ((rc & 0xff) == SQLITE_ERROR && !context.isEmpty())
        code = SqlSyntax;
    QString text = describeError(rc, message);
    if (code == SqlSyntax)
        text = QStringLiteral("SQL error: %1").arg(message);
    qCDebug(lcDb) << "error" << rc << text << context;
    throw EngineError(code, text);
}

void Database::checkWritable() {
    if (m_broken)
        throw EngineError(InvalidOperation,
                          QStringLiteral("The transaction was undone after an error; roll it back "
                                         "before writing again."));
}

const TableInfo* Database::findTable(const QString& name) const {
    const QString key = name.toLower();
    auto it = m_tables.constFind(key);
    if (it != m_tables.constEnd())
        return it.value().get();
    return loadTable(name);
}

const TableInfo& Database::table(const QString& name) const {
    const TableInfo* t = findTable(name);
    if (!t)
        throw EngineError(TableNotFound, QStringLiteral("Table %1 does not exist in %2")
                                             .arg(name, QDir::toNativeSeparators(m_dir)));
    return *t;
}

const TableInfo* Database::loadTable(const QString& name) const {
    auto* self = const_cast<Database*>(this);
    auto info = std::make_shared<TableInfo>();
    {
        Statement st(*self,
                     QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type = 'table' "
                                    "AND name = ?1 COLLATE NOCASE AND name <> 'mrv_tables'"));
        st.bind(1, name);
        if (!st.step())
            return nullptr;
        info->name = st.value(0).toString();
        if (info->name.startsWith(QLatin1String("sqlite_")))
            return nullptr;
    }
    QStringList folded; // fields that have a shadow column
    {
        Statement st(*self, QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk FROM "
                                           "pragma_table_info(?1)"));
        st.bind(1, info->name);
        while (st.step()) {
            FieldInfo f;
            f.name = st.value(0).toString();
            if (isFoldColumn(f.name)) {
                folded << f.name.mid(int(qstrlen(kFoldPrefix)));
                continue;
            }
            const QString declared = st.value(1).toString();
            const bool rowid = st.int64(4) == 1 &&
                               declared.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
            f.type = fieldTypeFromDeclared(declared, rowid, &f.size);
            f.required = st.int64(2) != 0;
            const QVariant dflt = st.value(3);
            if (!dflt.isNull())
                f.defaultValue = dflt.toString().toLongLong();
            if (rowid)
                info->rowidField = static_cast<int>(info->fields.size());
            info->fields.push_back(f);
        }
        for (const QString& f : std::as_const(folded))
            if (const int fi = info->fieldIndex(f); fi >= 0)
                info->foldedFields.push_back(fi);
    }
    {
        Statement st(*self, QStringLiteral("SELECT name, \"unique\" FROM pragma_index_list(?1)"));
        st.bind(1, info->name);
        const QString prefix = info->name + QLatin1Char(':');
        std::vector<std::pair<QString, bool>> names;
        while (st.step()) {
            const QString n = st.value(0).toString();
            if (n.startsWith(prefix, Qt::CaseInsensitive))
                names.emplace_back(n, st.int64(1) != 0);
        }
        for (const auto& [sqliteName, unique] : names) {
            IndexInfo ix;
            ix.sqliteName = sqliteName;
            ix.name = sqliteName.mid(prefix.size());
            ix.unique = unique;
            Statement cols(*self, QStringLiteral("SELECT name FROM pragma_index_xinfo(?1) "
                                                 "WHERE key = 1 ORDER BY seqno"));
            cols.bind(1, sqliteName);
            while (cols.step()) {
                // An index on folded shadow columns orders its fields ignoring case.
                QString column = cols.value(0).toString();
                if (isFoldColumn(column)) {
                    ix.caseInsensitive = true;
                    column = column.mid(int(qstrlen(kFoldPrefix)));
                }
                ix.fields << column;
            }
            info->indexes.push_back(ix);
        }
        std::sort(info->indexes.begin(), info->indexes.end(),
                  [](const IndexInfo& a, const IndexInfo& b) { return a.name < b.name; });
    }
    {
        Statement st(*self, QStringLiteral("SELECT salt, hash, primary_index FROM mrv_tables WHERE "
                                           "name = ?1"));
        st.bind(1, info->name);
        if (st.step()) {
            const auto* salt = static_cast<const char*>(sqlite3_column_blob(st.handle(), 0));
            info->passwordSalt = QByteArray(salt, sqlite3_column_bytes(st.handle(), 0));
            const auto* hash = static_cast<const char*>(sqlite3_column_blob(st.handle(), 1));
            info->passwordHash = QByteArray(hash, sqlite3_column_bytes(st.handle(), 1));
            info->primaryIndexName = st.value(2).toString();
        }
    }
    m_tables.insert(info->name.toLower(), info);
    if (name.toLower() != info->name.toLower())
        m_tables.insert(name.toLower(), info);
    return info.get();
}

void Database::checkPassword(const TableInfo& t, const QStringList& passwords) const {
    if (!t.hasPassword())
        return;
    for (const QString& p : passwords) {
        const QString key = t.name + QChar(0) + p;
        auto it = m_passwordChecks.constFind(key);
        const bool ok = it != m_passwordChecks.constEnd() ? it.value() : t.acceptsPassword(p);
        m_passwordChecks.insert(key, ok);
        if (ok)
            return;
    }
    throw EngineError(PasswordMissing,
                      QStringLiteral("Table %1 is protected by a password that this session does "
                                     "not hold")
                          .arg(t.name));
}

void Database::StartTransaction() {
    checkWritable();
    if (m_depth == 0)
        exec(QStringLiteral("BEGIN IMMEDIATE"));
    else
        exec(QStringLiteral("SAVEPOINT mrv_%1").arg(m_depth));
    if (m_depth++ == 0)
        m_self = shared_from_this();
}

void Database::Commit() {
    if (m_depth == 0)
        throw EngineError(InvalidOperation, QStringLiteral("There is no transaction to commit"));
    if (m_broken)
        throw EngineError(InvalidOperation,
                          QStringLiteral("The transaction was undone after an error and cannot be "
                                         "committed"));
    if (m_depth > 1) {
        exec(QStringLiteral("RELEASE mrv_%1").arg(m_depth - 1));
        --m_depth;
        return;
    }
    try {
        exec(QStringLiteral("COMMIT"));
    } catch (const EngineError&) {
        if (sqlite3_get_autocommit(m_db)) { // SQLite rolled back: nothing is left to do
            m_depth = 0;
            m_broken = false;
            touchAll();
            auto keep = std::move(m_self);
            throw;
        }
        throw; // still open (locked): the caller may retry or roll back
    }
    m_depth = 0;
    auto keep = std::move(m_self);
}

void Database::Rollback() {
    if (m_depth == 0)
        return;
    if (m_depth > 1 && !m_broken) {
        --m_depth;
        exec(QStringLiteral("ROLLBACK TO mrv_%1").arg(m_depth));
        exec(QStringLiteral("RELEASE mrv_%1").arg(m_depth));
    } else {
        m_depth = 0;
        m_broken = false;
        if (!sqlite3_get_autocommit(m_db)) {
            char* msg = nullptr;
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, &msg);
            sqlite3_free(msg);
        }
    }
    touchAll();
    auto keep = shared_from_this();
    for (DataSet* set : std::vector<DataSet*>(m_dataSets))
        set->afterRollback();
    if (m_depth == 0)
        m_self.reset();
}

void Database::setLockRetries(int count, int waitMs) {
    m_retries = std::max(0, count);
    m_waitMs = std::max(0, waitMs);
}

void Database::touch(const QString& table) {
    if (const TableInfo* t = findTable(table))
        touch(*t);
}

void Database::touchAll() {
    ++m_allVersion;
}

void Database::registerDataSet(DataSet* set) {
    m_dataSets.push_back(set);
}

void Database::unregisterDataSet(DataSet* set) {
    std::erase(m_dataSets, set);
}

QString Database::integrityCheck() {
    Statement st(*this, QStringLiteral("PRAGMA integrity_check"));
    QStringList lines;
    while (st.step())
        lines << st.value(0).toString();
    return lines.join(QLatin1Char('\n'));
}

// --- Transaction ------------------------------------------------------------------------------

Transaction::Transaction(std::shared_ptr<Database> db)
    : m_db(std::move(db)) {
    m_db->StartTransaction();
}

Transaction::Transaction(const QString& dataDir)
    : Transaction(Database::open(dataDir)) {}

Transaction::~Transaction() {
    if (!m_done) {
        try {
            m_db->Rollback();
        } catch (const EngineError& e) {
            qCWarning(lcDb) << "rollback failed:" << e.message();
        }
    }
}

void Transaction::commit() {
    m_db->Commit();
    m_done = true;
}

void Transaction::rollback() {
    m_done = true;
    m_db->Rollback();
}

RelaxedDurability::RelaxedDurability(std::shared_ptr<Database> db)
    : m_db(std::move(db)) {
    if (m_db && !m_db->InTransaction()) {
        m_db->exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        m_relaxed = true;
    }
}

RelaxedDurability::~RelaxedDurability() {
    if (!m_relaxed)
        return;
    try {
        m_db->exec(QStringLiteral("PRAGMA synchronous=FULL"));
    } catch (const EngineError&) {
        // The connection is gone or broken; the next open sets FULL again.
    }
}

} // namespace db
