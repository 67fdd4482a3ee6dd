// The SQL rewriter and filter conditions: any text is either refused with the engine's error
// or rewritten into SQL that SQLite reads (it may still name a column or function that does
// not exist, but never holds a syntax error the rewriter wrote itself).

#include "fuzztarget.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/schema.h"
#include "db/sqlrewriter.h"

#include <QCoreApplication>

#include <sqlite3.h>

#include <memory>

namespace {

std::shared_ptr<db::Database>& database() {
    static std::shared_ptr<db::Database> d;
    return d;
}

// SQLite's verdict on a text: empty when it prepares, else its message.
QString prepareError(const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(database()->handle(), utf8.constData(), int(utf8.size()),
                                      &stmt, nullptr);
    sqlite3_finalize(stmt);
    if (rc == SQLITE_OK)
        return QString();
    return QString::fromUtf8(sqlite3_errmsg(database()->handle()));
}

bool writtenWrong(const QString& message) {
    return message.contains(QLatin1String("syntax error")) ||
           message.contains(QLatin1String("unrecognized token")) ||
           message.contains(QLatin1String("incomplete input")) ||
           message.contains(QLatin1String("unterminated"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    QString error;
    if (!db::createDatabase(fuzz::scratchDir(), &error))
        fuzz::fail("cannot create the scratch database", error);
    database() = db::Database::open(fuzz::scratchDir());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader reader(data, size);
    const uint8_t mode = reader.byte();
    const QString text = QString::fromUtf8(reader.rest());
    const auto& tables = db::programTables();
    if (mode & 1) {
        const db::TableInfo& table = tables[size_t(mode >> 1) % tables.size()];
        QString condition;
        try {
            condition = db::sql::rewriteCondition(text, table);
        } catch (const db::EngineError&) {
            return 0;
        }
        const QString sql =
            QStringLiteral("SELECT * FROM \"%1\" WHERE %2").arg(table.name, condition);
        const QString error = prepareError(sql);
        fuzz::check(!writtenWrong(error), "a rewritten filter is not SQL",
                    text + QStringLiteral("\n-> ") + sql + QStringLiteral("\n") + error);
        return 0;
    }
    db::sql::Rewritten out;
    try {
        out = db::sql::rewrite(text, *database());
    } catch (const db::EngineError&) {
        return 0;
    }
    const QString error = prepareError(out.sql);
    fuzz::check(!writtenWrong(error), "a rewritten statement is not SQL",
                text + QStringLiteral("\n-> ") + out.sql + QStringLiteral("\n") + error);
    for (const db::sql::ParamSlot& slot : out.paramSlots)
        fuzz::check(out.paramNames.contains(slot.name, Qt::CaseInsensitive),
                    "a parameter slot has no name", slot.name);
    return 0;
}
