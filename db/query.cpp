#include "db/query.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/schemaupgrade.h"

#include "service/dates.h"

#include <sqlite3.h>

#include <optional>

namespace db {

namespace {

FieldType fieldTypeOf(sql::ValueType t) {
    switch (t) {
    case sql::ValueType::Text:
        return FieldType::String;
    case sql::ValueType::Integer:
        return FieldType::Integer;
    case sql::ValueType::Float:
        return FieldType::Float;
    case sql::ValueType::Currency:
        return FieldType::Currency;
    case sql::ValueType::Date:
        return FieldType::Date;
    case sql::ValueType::Boolean:
        return FieldType::Boolean;
    default:
        return FieldType::Memo; // any stored value, read by its own kind
    }
}

} // namespace

Query::Query(QObject* parent)
    : DataSet(parent) {}

Query::~Query() {
    Close();
}

QStringList& Query::SQL() {
    return m_sql;
}

void Query::setSQL(const QStringList& lines) {
    Close();
    m_sql = lines;
}

Param& Query::ParamByName(const QString& name) {
    prepare();
    for (Param& p : m_params)
        if (p.m_name.compare(name, Qt::CaseInsensitive) == 0)
            return p;
    throw EngineError(ParamNotFound, QStringLiteral("Parameter \"%1\" not found").arg(name));
}

int Query::ParamCount() {
    prepare();
    return static_cast<int>(m_params.size());
}

// Keeps the values of parameters that survive a change of the text.
void Query::prepare() {
    // Lines that were not touched share their text with the prepared copy: a cheap test.
    if (m_sql == m_preparedLines && !m_preparedText.isNull())
        return;
    const QString text = m_sql.join(QLatin1Char('\n'));
    m_preparedLines = m_sql;
    if (text == m_preparedText && !m_preparedText.isNull())
        return;
    std::vector<Param> params;
    for (const QString& n : sql::parameterNames(text)) {
        Param p;
        p.m_name = n;
        for (const Param& old : m_params)
            if (old.m_name.compare(n, Qt::CaseInsensitive) == 0)
                p.m_value = old.m_value;
        params.push_back(p);
    }
    m_params = std::move(params);
    m_preparedText = text;
    m_rewritten = {};
}

std::shared_ptr<Database> Query::openDatabase() {
    prepare();
    auto db = m_db ? m_db : Database::open(DatabaseName());
    if (m_rewritten.sql.isEmpty()) {
        m_rewritten = sql::rewrite(m_preparedText, *db);
        m_slotParam.clear();
        for (const sql::ParamSlot& slot : m_rewritten.paramSlots) {
            int index = -1;
            for (size_t i = 0; i < m_params.size(); ++i)
                if (m_params[i].m_name.compare(slot.name, Qt::CaseInsensitive) == 0)
                    index = static_cast<int>(i);
            m_slotParam.push_back(index);
        }
    }
    for (const QString& t : m_rewritten.tables)
        db->checkPassword(db->table(t), session().passwords());
    db->setLockRetries(session().LockRetryCount, session().LockWaitTime);
    return db;
}

QVariant Query::slotValue(const sql::ParamSlot& slot, int param) const {
    const QVariant v = param >= 0 ? m_params[param].m_value : QVariant();
    const QMetaType mt = v.metaType();
    if (mt.id() == QMetaType::QDate || mt.id() == QMetaType::QDateTime) {
        const QDate d = mt.id() == QMetaType::QDate ? v.toDate() : v.toDateTime().date();
        if (Dates::isNoDate(d)) // the zero date: equal to an empty field, below every real date
            return slot.ordering ? QVariant(QStringLiteral("1899-12-30")) : QVariant();
        return Dates::toIso(d);
    }
    if (!v.isValid() || v.isNull())
        return {};
    if (slot.context == sql::ValueType::Date &&
        (mt.id() == QMetaType::Double || mt.id() == QMetaType::LongLong ||
         mt.id() == QMetaType::Int)) {
        // A day number, as the old date-time type counted: 0 is the zero date.
        const QDate d = Dates::fromSerial(v.toDouble()).date();
        if (Dates::isNoDate(d))
            return slot.ordering ? QVariant(QStringLiteral("1899-12-30")) : QVariant();
        return Dates::toIso(d);
    }
    FieldInfo f;
    switch (slot.context) {
    case sql::ValueType::Text:
        f.type = FieldType::Memo;
        break;
    case sql::ValueType::Integer:
        f.type = FieldType::Integer;
        break;
    case sql::ValueType::Float:
        f.type = FieldType::Float;
        break;
    case sql::ValueType::Currency:
        f.type = FieldType::Currency;
        break;
    case sql::ValueType::Date:
        f.type = FieldType::Date;
        break;
    case sql::ValueType::Boolean:
        f.type = FieldType::Boolean;
        break;
    default:
        if (mt == QMetaType::fromType<Currency>())
            return v.value<Currency>().toDouble();
        if (mt.id() == QMetaType::Bool)
            return qint64(v.toBool() ? 1 : 0);
        if (mt.id() == QMetaType::QString)
            return v.toString().isEmpty() ? QVariant() : v;
        if (mt.id() == QMetaType::Double)
            return v;
        return v.toLongLong();
    }
    try {
        return Field::toStored(f, v);
    } catch (const EngineError&) {
        return v.toString(); // text that is no number: compared as the text it is
    }
}

void Query::bindAndRun(Statement& st) {
    for (size_t i = 0; i < m_rewritten.paramSlots.size(); ++i)
        st.bind(static_cast<int>(i) + 1, slotValue(m_rewritten.paramSlots[i], m_slotParam[i]));
}

void Query::Open() {
    if (Active()) {
        if (m_sql.join(QLatin1Char('\n')) == m_preparedText)
            return;
        Close(); // the text was changed through SQL(): run the new one
    }
    m_db = openDatabase();
    try {
        Statement st(*m_db, m_rewritten.sql);
        bindAndRun(st);
        m_result.clear();
        // "*" brings the folded shadow columns along; they are no fields of the result (and
        // no result column types were given for them).
        std::vector<int> columns;
        for (int c = 0; c < st.columnCount(); ++c)
            if (!isFoldColumn(st.columnName(c)))
                columns.push_back(c);
        const int n = static_cast<int>(columns.size());
        std::vector<FieldInfo> infos;
        for (int i = 0; i < n; ++i) {
            const int c = columns[i];
            FieldInfo f;
            f.name = st.columnName(c);
            if (i < static_cast<int>(m_rewritten.columnTypes.size()) &&
                m_rewritten.columnTypes[i] != sql::ValueType::Unknown &&
                m_rewritten.columnTypes[i] != sql::ValueType::Null) {
                f.type = fieldTypeOf(m_rewritten.columnTypes[i]);
            } else if (!st.declaredType(c).isEmpty()) {
                f.type = fieldTypeFromDeclared(st.declaredType(c), false, &f.size);
            } else {
                f.type = FieldType::Memo;
            }
            infos.push_back(f);
        }
        m_view = nullptr;
        qint64 row = 0;
        while (st.step()) {
            Record r;
            r.rowid = row++;
            r.values.reserve(n);
            for (const int c : columns)
                r.values.push_back(st.value(c));
            m_result.push_back(std::move(r));
        }
        buildFields(infos);
    } catch (...) {
        m_db.reset();
        throw;
    }
    m_db->registerDataSet(this);
    setState(DataSetState::Browse);
    First();
    emit dataChanged();
}

void Query::Close() {
    if (!Active())
        return;
    if (m_db)
        m_db->unregisterDataSet(this);
    m_db.reset();
    m_result.clear();
    m_view = nullptr;
    m_pos = -1;
    m_hasRecord = false;
    m_bof = m_eof = true;
    setState(DataSetState::Inactive);
    emit dataChanged();
}

int Query::ExecSQL() {
    Close();
    auto db = openDatabase();
    if (m_rewritten.kind != sql::Rewritten::Select)
        db->checkWritable();
    // A statement that writes folded fields leaves the shadow columns to the triggers' notes;
    // they are folded again in the same transaction.
    const TableInfo* target =
        m_rewritten.targetTable.isEmpty() ? nullptr : db->findTable(m_rewritten.targetTable);
    const bool refold =
        target && !target->foldedFields.empty() && m_rewritten.kind != sql::Rewritten::Delete;
    std::optional<Transaction> transaction;
    if (refold)
        transaction.emplace(db);
    {
        Statement st(*db, m_rewritten.sql);
        bindAndRun(st);
        while (st.step()) {
        }
    }
    m_rowsAffected = m_rewritten.kind == sql::Rewritten::Select ? 0 : sqlite3_changes(db->handle());
    if (refold) {
        QString error;
        if (!refoldNoted(db->handle(), &error))
            throw EngineError(WriteFailed, error);
        transaction->commit();
    }
    if (!m_rewritten.targetTable.isEmpty())
        db->touch(m_rewritten.targetTable);
    return m_rowsAffected;
}

void Query::go(int pos) {
    if (pos < 0 || pos >= static_cast<int>(m_result.size())) {
        m_hasRecord = false;
        m_view = nullptr;
        return;
    }
    m_pos = pos;
    m_view = &m_result[pos].values;
    m_hasRecord = true;
}

void Query::First() {
    requireActive();
    go(0);
    m_bof = true;
    m_eof = m_result.empty();
    scrolled();
}

void Query::Last() {
    requireActive();
    go(static_cast<int>(m_result.size()) - 1);
    m_eof = true;
    m_bof = m_result.empty();
    scrolled();
}

void Query::Next() {
    requireActive();
    if (m_pos + 1 >= static_cast<int>(m_result.size())) {
        m_eof = true;
        return;
    }
    go(m_pos + 1);
    m_bof = m_eof = false;
    scrolled();
}

void Query::Prior() {
    requireActive();
    if (m_pos <= 0) {
        m_bof = true;
        return;
    }
    go(m_pos - 1);
    m_bof = m_eof = false;
    scrolled();
}

void Query::MoveTo(int position) {
    requireActive();
    if (position < 0 || position >= static_cast<int>(m_result.size()) || position == m_pos)
        return;
    go(position);
    m_bof = m_eof = false;
    scrolled();
}

bool Query::GotoBookmark(const Bookmark& bookmark) {
    requireActive();
    if (!bookmark.valid || bookmark.rowid < 0 ||
        bookmark.rowid >= static_cast<qint64>(m_result.size()))
        return false;
    MoveTo(static_cast<int>(bookmark.rowid));
    return true;
}

std::vector<Record> Query::readRows(int offset, int count) {
    std::vector<Record> out;
    for (int i = offset; i < offset + count && i < static_cast<int>(m_result.size()); ++i)
        out.push_back(m_result[i]);
    return out;
}

Record Query::currentRecord() const {
    return m_hasRecord ? m_result[m_pos] : Record{};
}

} // namespace db
