#include "settings/freetexts.h"

#include "db/dberror.h"
#include "db/table.h"
#include "report/rtf.h"
#include "report/rtfwriter.h"
#include "settings/logging.h"

#include <QTextDocument>

namespace FreeTexts {

namespace {

QString storedField(const db::Table& table, const char* name) {
    if (!table.Active() || table.State() == db::DataSetState::Insert)
        return QString();
    const db::TableInfo* info = table.tableInfo();
    const int index = info ? info->fieldIndex(QLatin1String(name)) : -1;
    const db::Record record = table.currentRecord();
    if (index < 0 || size_t(index) >= record.values.size())
        return QString();
    return record.values[size_t(index)].toString();
}

} // namespace

QString toStored(const QTextDocument& document) {
    if (document.isEmpty())
        return QString();
    return report::documentToRtf(document);
}

QString toShown(const QString& stored) {
    if (report::isRtf(stored))
        // RTF is 7-bit text with escapes.
        return report::rtfToHtml(stored.toLatin1());
    return stored;
}

void open(db::Table& table, const QString& dataDir) {
    table.setDatabaseName(dataDir);
    table.setTableName(QLatin1String(kTable));
    table.setIndexName(QString());
    table.Open();
}

bool locate(db::Table& table, const QString& name) {
    if (!table.Active() || name.isEmpty())
        return false;
    return table.Locate(QLatin1String(kName), name, db::LocateCaseInsensitive);
}

std::optional<QString> storedText(const QString& dataDir, const QString& name) {
    try {
        db::Table table;
        open(table, dataDir);
        if (!locate(table, name))
            return std::nullopt;
        return table.FieldByName(QLatin1String(kText)).AsString();
    } catch (const db::EngineError& e) {
        qCWarning(lcSettings) << "free text" << name << "not read:" << e.message();
        return std::nullopt;
    }
}

QString storedNameOfCurrent(const db::Table& table) {
    return storedField(table, kName);
}

QString storedTextOfCurrent(const db::Table& table) {
    return storedField(table, kText);
}

void keepEditing(db::Table& table) {
    if (table.Active() && table.State() == db::DataSetState::Browse && !table.IsEmpty())
        table.Edit();
}

bool postPending(db::Table& table) {
    if (!table.Active())
        return true;
    return table.CheckBrowseMode();
}

void deleteCurrent(db::Table& table) {
    if (!table.Active())
        return;
    if (table.State() == db::DataSetState::Insert || !table.IsEmpty())
        table.Delete();
}

} // namespace FreeTexts
