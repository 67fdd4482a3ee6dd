#include "db/schemaupgrade.h"

#include "db/schema.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <sqlite3.h>

namespace db {

namespace {

QString columnText(sqlite3_stmt* st, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(st, column));
}

// Runs a query and hands each row to the callback.
template <typename F>
bool eachRow(sqlite3* db, const char* sql, F&& row, QString* error) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            row(st);
    const bool ok = rc == SQLITE_DONE;
    if (!ok && error)
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    return ok;
}

// What the file holds; names in lower case.
struct FileSchema {
    int version = 0;
    QSet<QString> objects;                 // tables, indexes and triggers
    QHash<QString, QSet<QString>> columns; // per table
};

bool readSchema(sqlite3* db, FileSchema* s, QString* error) {
    return eachRow(
               db, "PRAGMA user_version",
               [&](sqlite3_stmt* st) { s->version = sqlite3_column_int(st, 0); }, error) &&
           eachRow(
               db, "SELECT name FROM sqlite_schema",
               [&](sqlite3_stmt* st) { s->objects.insert(columnText(st, 0).toLower()); }, error) &&
           eachRow(
               db,
               "SELECT m.name, p.name FROM sqlite_schema AS m, pragma_table_info(m.name) AS p "
               "WHERE m.type = 'table'",
               [&](sqlite3_stmt* st) {
                   s->columns[columnText(st, 0).toLower()].insert(columnText(st, 1).toLower());
               },
               error);
}

QString addColumnSql(const TableInfo& t, const FieldInfo& f) {
    QString col = quoted(f.name) + QLatin1Char(' ') + declaredType(f);
    // SQLite adds a NOT NULL column only with a default for the rows already there.
    if (f.required && f.defaultValue.isValid())
        col += QLatin1String(" NOT NULL");
    if (f.defaultValue.isValid())
        col += QLatin1String(" DEFAULT ") + f.defaultValue.toString();
    return QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoted(t.name), col);
}

// "UPDATE T SET fold:a = mrv_fold(a), ..." for the given folded fields, optionally only where a
// fold differs from its field.
QString refoldSql(const QString& table, const QStringList& fields, bool onlyStale) {
    QStringList sets, stale;
    for (const QString& f : fields) {
        const QString expr = QStringLiteral("mrv_fold(%1)").arg(quoted(f));
        sets << quoted(foldColumn(f)) + QLatin1String(" = ") + expr;
        stale << quoted(foldColumn(f)) + QLatin1String(" IS NOT ") + expr;
    }
    QString sql =
        QStringLiteral("UPDATE %1 SET %2").arg(quoted(table), sets.join(QLatin1String(", ")));
    if (onlyStale)
        sql += QLatin1String(" WHERE ") + stale.join(QLatin1String(" OR "));
    return sql;
}

struct Plan {
    QStringList statements;
    std::vector<const TableInfo*> newTables; // need their entry in mrv_tables
};

Plan plan(const FileSchema& s) {
    Plan p;
    if (!s.objects.contains(QStringLiteral("mrv_refold")))
        p.statements << QLatin1String(kRefoldTableSql);
    for (const TableInfo& t : programTables()) {
        const QString key = t.name.toLower();
        if (!s.objects.contains(key)) {
            p.statements << createTableSql(t);
            for (const IndexInfo& ix : t.indexes)
                p.statements << createIndexSql(t, ix);
            p.statements << createTriggerSql(t);
            p.newTables.push_back(&t);
            continue;
        }
        const QSet<QString> cols = s.columns.value(key);
        for (const FieldInfo& f : t.fields)
            if (!cols.contains(f.name.toLower()))
                p.statements << addColumnSql(t, f);
        QStringList added, existing;
        for (const int fi : t.foldedFields) {
            const QString& f = t.fields[fi].name;
            if (cols.contains(foldColumn(f).toLower())) {
                existing << f;
            } else {
                p.statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 TEXT")
                                    .arg(quoted(t.name), quoted(foldColumn(f)));
                added << f;
            }
        }
        if (!added.isEmpty())
            p.statements << refoldSql(t.name, added, false);
        for (const IndexInfo& ix : t.indexes) {
            bool exists = s.objects.contains(ix.sqliteName.toLower());
            if (exists && ix.caseInsensitive && s.version < 2) {
                // Version 1 indexed the field itself under a collation of our own.
                p.statements << QStringLiteral("DROP INDEX %1").arg(quoted(ix.sqliteName));
                exists = false;
            }
            if (!exists)
                p.statements << createIndexSql(t, ix);
        }
        if (t.foldedFields.empty())
            continue;
        const bool triggers =
            s.objects.contains((t.name + QLatin1String(":refold inserted")).toLower()) &&
            s.objects.contains((t.name + QLatin1String(":refold updated")).toLower());
        if (!triggers) {
            p.statements << QStringLiteral("DROP TRIGGER IF EXISTS %1")
                                .arg(quoted(t.name + QLatin1String(":refold inserted")))
                         << QStringLiteral("DROP TRIGGER IF EXISTS %1")
                                .arg(quoted(t.name + QLatin1String(":refold updated")))
                         << createTriggerSql(t);
            // Without its triggers nobody noted what other programs wrote: compare every row.
            if (!existing.isEmpty())
                p.statements << refoldSql(t.name, existing, true);
        }
    }
    if (s.version < kSchemaVersion)
        p.statements << QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion);
    return p;
}

} // namespace

bool upgradeSchema(sqlite3* db, QString* error) {
    FileSchema s;
    if (!readSchema(db, &s, error))
        return false;
    const Plan p = plan(s);
    if (!p.statements.isEmpty()) {
        if (!exec(db, QStringLiteral("BEGIN IMMEDIATE"), error))
            return false;
        bool ok = true;
        for (const QString& sql : p.statements)
            if (!(ok = exec(db, sql, error)))
                break;
        for (const TableInfo* t : p.newTables)
            ok = ok && registerTable(db, *t, error);
        ok = ok && exec(db, QStringLiteral("COMMIT"), error);
        if (!ok) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
    }
    bool noted = false;
    if (!eachRow(
            db, "SELECT 1 FROM mrv_refold LIMIT 1", [&](sqlite3_stmt*) { noted = true; }, error))
        return false;
    return !noted || refoldNoted(db, error);
}

bool refoldNoted(sqlite3* db, QString* error) {
    const bool own = sqlite3_get_autocommit(db) != 0;
    if (own && !exec(db, QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    QStringList tables;
    bool ok = eachRow(
        db, "SELECT DISTINCT tbl FROM mrv_refold",
        [&](sqlite3_stmt* st) { tables << columnText(st, 0); }, error);
    for (const QString& table : std::as_const(tables)) {
        if (!ok)
            break;
        QStringList fields;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?1)", -1, &st, nullptr);
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(st, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QString column = columnText(st, 0);
            if (isFoldColumn(column))
                fields << column.mid(int(qstrlen(kFoldPrefix)));
        }
        sqlite3_finalize(st);
        if (fields.isEmpty())
            continue;
        sqlite3_stmt* upd = nullptr;
        const QByteArray sql =
            (refoldSql(table, fields, false) +
             QLatin1String(" WHERE rowid IN (SELECT rid FROM mrv_refold WHERE tbl = ?1)"))
                .toUtf8();
        ok = sqlite3_prepare_v2(db, sql.constData(), sql.size(), &upd, nullptr) == SQLITE_OK;
        if (ok) {
            sqlite3_bind_text(upd, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
            ok = sqlite3_step(upd) == SQLITE_DONE;
        }
        if (!ok && error)
            *error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(upd);
    }
    ok = ok && exec(db, QStringLiteral("DELETE FROM mrv_refold"), error);
    if (own) {
        if (ok)
            ok = exec(db, QStringLiteral("COMMIT"), error);
        if (!ok)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    return ok;
}

} // namespace db
