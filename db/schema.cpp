#include "db/schema.h"

#include "db/nocase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

#include <sqlite3.h>

namespace db {

int TableInfo::fieldIndex(const QString& fieldName) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

bool TableInfo::isFolded(int field) const {
    return std::find(foldedFields.begin(), foldedFields.end(), field) != foldedFields.end();
}

QString foldColumn(const QString& field) {
    return QLatin1String(kFoldPrefix) + field;
}

bool isFoldColumn(const QString& column) {
    return column.startsWith(QLatin1String(kFoldPrefix));
}

const IndexInfo* TableInfo::findIndex(const QString& indexName) const {
    for (const IndexInfo& index : indexes)
        if (index.name.compare(indexName, Qt::CaseInsensitive) == 0)
            return &index;
    return nullptr;
}

bool TableInfo::acceptsPassword(const QString& candidate) const {
    return hasPassword() && db::passwordHash(passwordSalt, candidate) == passwordHash;
}

QByteArray passwordHash(const QByteArray& salt, const QString& password) {
    // Many rounds make guessing the short table passwords from a copied file slow.
    QByteArray h = salt + password.toUtf8();
    for (int i = 0; i < 1000; ++i)
        h = QCryptographicHash::hash(salt + h, QCryptographicHash::Sha256);
    return h;
}

QString declaredType(const FieldInfo& f) {
    switch (f.type) {
    case FieldType::String:
        return f.size > 0 ? QStringLiteral("VARCHAR(%1)").arg(f.size) : QStringLiteral("VARCHAR");
    case FieldType::Memo:
        return QStringLiteral("TEXT");
    case FieldType::Integer:
        return QStringLiteral("INTEGER");
    case FieldType::SmallInt:
        return QStringLiteral("SMALLINT");
    case FieldType::AutoInc:
        return QStringLiteral("INTEGER");
    case FieldType::Float:
        return QStringLiteral("FLOAT");
    // The second word gives SQLite the storage affinity, the first tells us the kind.
    case FieldType::Currency:
        return QStringLiteral("CURRENCY INTEGER");
    case FieldType::Date:
        return QStringLiteral("DATE TEXT");
    case FieldType::Boolean:
        return QStringLiteral("BOOLEAN INTEGER");
    }
    return QStringLiteral("TEXT");
}

FieldType fieldTypeFromDeclared(const QString& declared, bool isRowidAlias, int* size) {
    const QString t = declared.trimmed().toUpper();
    if (size)
        *size = 0;
    if (isRowidAlias)
        return FieldType::AutoInc;
    if (t.startsWith(QLatin1String("CURRENCY")) || t.startsWith(QLatin1String("MONEY")))
        return FieldType::Currency;
    if (t.startsWith(QLatin1String("DATE")))
        return FieldType::Date;
    if (t.startsWith(QLatin1String("BOOL")))
        return FieldType::Boolean;
    if (t.startsWith(QLatin1String("SMALLINT")))
        return FieldType::SmallInt;
    if (t.contains(QLatin1String("INT")))
        return FieldType::Integer;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
        t.contains(QLatin1String("DOUB")) || t.contains(QLatin1String("NUMERIC")))
        return FieldType::Float;
    if (t.contains(QLatin1String("CHAR"))) {
        const int open = t.indexOf(QLatin1Char('('));
        const int close = t.indexOf(QLatin1Char(')'));
        if (size && open > 0 && close > open)
            *size = t.mid(open + 1, close - open - 1).trimmed().toInt();
        return FieldType::String;
    }
    return FieldType::Memo;
}

namespace {

FieldInfo str(const char* name, int size, bool required = false) {
    return {QString::fromUtf8(name), FieldType::String, size, required, {}};
}
FieldInfo typed(const char* name, FieldType type) {
    FieldInfo f{QString::fromUtf8(name), type, 0, false, {}};
    if (type == FieldType::Boolean) {
        f.required = true; // booleans are never NULL
        f.defaultValue = 0;
    }
    return f;
}
IndexInfo index(const QString& table, const char* name, const char* field, bool ci,
                bool unique = false) {
    const QString n = QString::fromUtf8(name);
    return {n, table + QLatin1Char(':') + n, {QString::fromUtf8(field)}, ci, unique};
}

// The row fields shared by the working rows, the stored rows and the sample rows.
std::vector<FieldInfo> rowFields(bool withLongDesc) {
    std::vector<FieldInfo> f{str("Item", 5),
                             str("Code", 20),
                             str("Description", 50),
                             typed("Qty", FieldType::Float),
                             str("Unit", 5),
                             typed("Price", FieldType::Currency),
                             typed("Discount", FieldType::Float),
                             typed("VAT %", FieldType::Float),
                             typed("Sum", FieldType::Currency)};
    if (withLongDesc) {
        f.push_back(typed("LongDesc", FieldType::Boolean));
        f.push_back(typed("LDesc", FieldType::Memo));
    }
    return f;
}

std::vector<TableInfo> buildTables() {
    std::vector<TableInfo> tables;

    {
        TableInfo t;
        t.name = QStringLiteral("IHead");
        t.password = QStringLiteral("GRAND");
        t.fields = {typed("ID", FieldType::AutoInc),
                    str("Document", 20),
                    str("Invoice no", 20),
                    typed("Invoice date", FieldType::Date),
                    typed("Due", FieldType::Date),
                    str("Customer no", 25),
                    str("Customer", 50),
                    str("Address line 1", 50),
                    str("Address line 2", 50),
                    str("Address line 3", 50),
                    str("VAT No.", 30),
                    str("Your reference", 25),
                    str("Our reference", 25),
                    typed("Total", FieldType::Currency),
                    typed("Printed", FieldType::Boolean),
                    typed("Rest", FieldType::Currency),
                    typed("Paid", FieldType::Date),
                    typed("Archived", FieldType::Date),
                    typed("Delay", FieldType::Integer),
                    typed("Interest charged", FieldType::Currency)};
        t.indexes = {index(t.name, "Invoice no", "Invoice no", false),
                     index(t.name, "Document", "Document", false),
                     index(t.name, "Invoice date", "Invoice date", false),
                     index(t.name, "Customer no", "Customer no", false),
                     index(t.name, "Customer", "Customer", true)};
        t.primaryIndexName = QStringLiteral("ID");
        t.rowidField = 0;
        tables.push_back(t);
    }
    {
        TableInfo t;
        t.name = QStringLiteral("IRow");
        t.password = QStringLiteral("KQW52TZ");
        t.fields = {typed("ID", FieldType::Integer)};
        for (const FieldInfo& f : rowFields(true))
            t.fields.push_back(f);
        t.indexes = {index(t.name, "ID", "ID", false)};
        tables.push_back(t);
    }
    {
        TableInfo t;
        t.name = QStringLiteral("TRow");
        t.fields = {typed("Key", FieldType::AutoInc)};
        for (const FieldInfo& f : rowFields(false))
            t.fields.push_back(f);
        t.fields.push_back(typed("VAT", FieldType::Currency));
        t.fields.push_back(typed("LongDesc", FieldType::Boolean));
        t.fields.push_back(typed("LDesc", FieldType::Memo));
        t.fields.push_back(typed("Groupno", FieldType::SmallInt));
        t.primaryIndexName = QStringLiteral("Key");
        t.rowidField = 0;
        tables.push_back(t);
    }
    {
        TableInfo t;
        t.name = QStringLiteral("FreeText");
        t.fields = {str("Name", 50), typed("Text", FieldType::Memo)};
        t.indexes = {index(t.name, "Name", "Name", true)};
        tables.push_back(t);
    }
    {
        TableInfo t;
        t.name = QStringLiteral("Customers");
        t.password = QStringLiteral("PLOV81");
        t.fields = {
            str("Cust. no", 25, true), str("Company", 50), str("Reference", 50),
            str("Address line 1", 50), str("Address line 2", 50), str("State", 30), str("Zip", 15),
            str("City", 40), str("Phone", 25), str("Fax", 25), str("Mobile", 25), str("E-mail", 60),
            str("VAT No.", 30), str("Note", 100), typed("Credit limit", FieldType::Currency),
            typed("Total sales", FieldType::Currency), typed("Periods sales", FieldType::Currency),
            typed("Registered", FieldType::Date), typed("Last invoice", FieldType::Date),
            typed("E-invoice", FieldType::Boolean), typed("Mark", FieldType::Boolean),
            // Electronic invoices: ISO 3166 country, the buyer's reference
            // (Leitweg-ID) and the format wanted ("", "Factur-X", "XRechnung").
            str("Country code", 2), str("Buyer reference", 60), str("E-invoice format", 10)};
        t.indexes = {index(t.name, "Cust. no", "Cust. no", true, true),
                     index(t.name, "Company", "Company", true),
                     index(t.name, "Reference", "Reference", true)};
        tables.push_back(t);
    }
    {
        TableInfo t;
        t.name = QStringLiteral("Products");
        t.password = QString::fromUtf16(u"PX\u00C452K");
        t.fields = {str("Code", 25),
                    str("Description", 100),
                    str("Unit", 10),
                    typed("Price", FieldType::Currency),
                    typed("Hidden", FieldType::Boolean),
                    typed("Periods sales", FieldType::Currency),
                    typed("Stock", FieldType::Float),
                    typed("Period qty", FieldType::Float),
                    typed("Last invoice", FieldType::Date)};
        t.indexes = {index(t.name, "Code", "Code", true),
                     index(t.name, "Description", "Description", true)};
        tables.push_back(t);
    }
    {
        TableInfo t;
        t.name = QStringLiteral("VAT");
        // Category and exemption reason as electronic invoices name them (S, Z, E, AE, K, G, O).
        t.fields = {typed("VAT %", FieldType::Float), str("Category", 2),
                    str("Exemption reason", 100)};
        tables.push_back(t);
    }
    {
        TableInfo t;
        t.name = QStringLiteral("Taxes");
        t.fields = {str("Description", 100), typed("Percent", FieldType::Float)};
        t.indexes = {index(t.name, "Description", "Description", true)};
        tables.push_back(t);
    }
    {
        // The payments of printed invoices: each one kept, linked to its head's "ID"; a
        // payment reversed keeps its record with the day it was reversed.
        TableInfo t;
        t.name = QStringLiteral("Payments");
        t.fields = {typed("ID", FieldType::AutoInc),
                    typed("Head", FieldType::Integer),
                    typed("Date", FieldType::Date),
                    typed("Amount", FieldType::Currency),
                    str("Note", 100),
                    typed("Reversed", FieldType::Date)};
        t.indexes = {index(t.name, "Head", "Head", false)};
        t.primaryIndexName = QStringLiteral("ID");
        t.rowidField = 0;
        tables.push_back(t);
    }
    {
        TableInfo t;
        t.name = QStringLiteral("RowInvoiceTest");
        t.fields = rowFields(false);
        tables.push_back(t);
    }
    for (TableInfo& t : tables)
        for (const IndexInfo& ix : t.indexes)
            for (const QString& f : ix.fields)
                if (ix.caseInsensitive && !t.isFolded(t.fieldIndex(f)))
                    t.foldedFields.push_back(t.fieldIndex(f));
    return tables;
}

} // namespace

QString quoted(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QString quotedText(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

bool exec(sqlite3* db, const QString& sql, QString* error) {
    char* msg = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(msg ? msg : sqlite3_errmsg(db));
        sqlite3_free(msg);
        return false;
    }
    return true;
}

QString createTableSql(const TableInfo& t) {
    QStringList cols;
    for (size_t i = 0; i < t.fields.size(); ++i) {
        const FieldInfo& f = t.fields[i];
        QString col = quoted(f.name) + QLatin1Char(' ') + declaredType(f);
        if (static_cast<int>(i) == t.rowidField)
            col += QLatin1String(" PRIMARY KEY AUTOINCREMENT");
        else if (f.required)
            col += QLatin1String(" NOT NULL");
        if (f.defaultValue.isValid())
            col += QLatin1String(" DEFAULT ") + f.defaultValue.toString();
        cols << col;
    }
    for (const int fi : t.foldedFields)
        cols << quoted(foldColumn(t.fields[fi].name)) + QLatin1String(" TEXT");
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quoted(t.name), cols.join(QLatin1String(", ")));
}

QString createIndexSql(const TableInfo& t, const IndexInfo& ix) {
    QStringList cols;
    for (const QString& f : ix.fields)
        cols << quoted(ix.caseInsensitive ? foldColumn(f) : f);
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(ix.unique ? QStringLiteral("UNIQUE ") : QString(), quoted(ix.sqliteName),
             quoted(t.name), cols.join(QLatin1String(", ")));
}

// Another program that writes a folded field without its shadow column leaves the fold stale;
// these triggers note such rows (only built-in functions, so that every tool can still write).
// An insert is stale when field and fold disagree on being empty; an update when the field
// changed beyond letter case but the fold did not. The program's own lower() knows every
// letter, so its own posts are never noted; the shell's knows only ASCII and so notes more.
QStringList createTriggerSql(const TableInfo& t) {
    if (t.foldedFields.empty())
        return {};
    QStringList inserted, updated, fields;
    for (const int fi : t.foldedFields) {
        const QString f = quoted(t.fields[fi].name);
        const QString fold = quoted(foldColumn(t.fields[fi].name));
        inserted << QStringLiteral("((NEW.%1 IS NULL) <> (NEW.%2 IS NULL))").arg(f, fold);
        updated << QStringLiteral("((NEW.%1 IS NULL) <> (NEW.%2 IS NULL) OR (NEW.%2 IS OLD.%2 AND "
                                  "lower(NEW.%1) IS NOT lower(OLD.%1)))")
                       .arg(f, fold);
        fields << f;
    }
    const QString note =
        QStringLiteral(" BEGIN INSERT OR IGNORE INTO mrv_refold (tbl, rid) VALUES (%1, NEW.rowid); "
                       "END")
            .arg(quotedText(t.name));
    return {QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 WHEN %3")
                    .arg(quoted(t.name + QLatin1String(":refold inserted")), quoted(t.name),
                         inserted.join(QLatin1String(" OR "))) +
                note,
            QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE OF %2 ON %3 WHEN %4")
                    .arg(quoted(t.name + QLatin1String(":refold updated")),
                         fields.join(QLatin1String(", ")), quoted(t.name),
                         updated.join(QLatin1String(" OR "))) +
                note};
}

bool registerTable(sqlite3* db, const TableInfo& t, QString* error) {
    QByteArray salt, hash;
    if (!t.password.isEmpty()) {
        salt.resize(16);
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), 4);
        hash = passwordHash(salt, t.password);
    }
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO mrv_tables VALUES (?, ?, ?, ?)", -1, &st,
                       nullptr);
    const QByteArray name = t.name.toUtf8();
    const QByteArray primary = t.primaryIndexName.toUtf8();
    sqlite3_bind_text(st, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
    if (!salt.isEmpty()) {
        sqlite3_bind_blob(st, 2, salt.constData(), salt.size(), SQLITE_TRANSIENT);
        sqlite3_bind_blob(st, 3, hash.constData(), hash.size(), SQLITE_TRANSIENT);
    }
    if (!primary.isEmpty())
        sqlite3_bind_text(st, 4, primary.constData(), primary.size(), SQLITE_TRANSIENT);
    const bool ok = sqlite3_step(st) == SQLITE_DONE;
    if (!ok && error)
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    return ok;
}

const std::vector<TableInfo>& programTables() {
    static const std::vector<TableInfo> tables = buildTables();
    return tables;
}

bool createDatabase(const QString& dir, QString* error) {
    if (!QDir().mkpath(dir)) {
        if (error)
            *error = QStringLiteral("Cannot create the folder %1").arg(dir);
        return false;
    }
    const QString file = QDir(dir).filePath(QLatin1String(kDatabaseFile));
    if (QFileInfo::exists(file)) {
        if (error)
            *error = QStringLiteral("%1 exists already").arg(file);
        return false;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        if (error)
            *error = QStringLiteral("Cannot create %1: %2")
                         .arg(file, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return false;
    }
    registerNoCase(db);
    bool ok = exec(db, QStringLiteral("PRAGMA journal_mode=WAL"), error) &&
              exec(db, QStringLiteral("BEGIN"), error) &&
              exec(db,
                   QStringLiteral("CREATE TABLE mrv_tables (name TEXT PRIMARY KEY COLLATE NOCASE, "
                                  "salt BLOB, hash BLOB, primary_index TEXT)"),
                   error) &&
              exec(db, QLatin1String(kRefoldTableSql), error);
    for (const TableInfo& t : programTables()) {
        if (!ok)
            break;
        ok = exec(db, createTableSql(t), error);
        for (const IndexInfo& ix : t.indexes)
            ok = ok && exec(db, createIndexSql(t, ix), error);
        for (const QString& trigger : createTriggerSql(t))
            ok = ok && exec(db, trigger, error);
        ok = ok && registerTable(db, t, error);
    }
    ok = ok && exec(db, QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId), error) &&
         exec(db, QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion), error) &&
         exec(db, QStringLiteral("COMMIT"), error);
    sqlite3_close(db);
    if (!ok) {
        QFile::remove(file);
        QFile::remove(file + QStringLiteral("-wal"));
        QFile::remove(file + QStringLiteral("-shm"));
    }
    return ok;
}

} // namespace db
