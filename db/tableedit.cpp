#include "db/table.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/nocase.h"

#include <sqlite3.h>

#include <algorithm>

// Editing a table: new records, edits, posts, deletes and emptying the table.
namespace db {

namespace {

QString quote(const QString& name) {
    return quoteIdentifier(name);
}

// The value of a folded shadow column for a field's stored text.
QVariant folded(const QVariant& stored) {
    return stored.isNull() ? QVariant() : QVariant(foldCase(stored.toString()));
}

} // namespace

void Table::checkEditable() {
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        throw EngineError(
            InvalidOperation,
            QStringLiteral("Table %1 is not in edit or insert mode").arg(m_tableName));
}

void Table::setFieldValue(int index, const QVariant& stored) {
    checkEditable();
    if (index < 0 || index >= static_cast<int>(m_current.size()))
        return;
    m_current[index] = stored;
    m_changedFields[index] = true;
    m_modified = true;
    emit fieldChanged(index);
}

void Table::Append() {
    beginInsert(true);
}

void Table::Insert() {
    beginInsert(false);
}

void Table::beginInsert(bool append) {
    requireActive();
    if (!CheckBrowseMode())
        return;
    const bool empty = !m_hasRecord;
    m_savedBof = m_bof;
    m_savedEof = m_eof;
    m_current.assign(m_fields.size(), QVariant());
    m_view = &m_current;
    for (size_t i = 0; i < m_info->fields.size(); ++i)
        m_current[i] = m_info->fields[i].defaultValue;
    m_changedFields.assign(m_info->fields.size(), false);
    if (m_master) {
        const int df = m_info->fieldIndex(m_detailField);
        Field* mf = m_master->Active() ? m_master->FindField(m_masterField) : nullptr;
        if (df >= 0 && mf && !mf->IsNull()) {
            m_current[df] = Field::toStored(m_info->fields[df], mf->Value());
            m_changedFields[df] = true;
        }
    }
    m_modified = false;
    m_appending = append;
    // Views ask where the new record is shown when the state changes.
    m_bof = append ? false : empty;
    m_eof = append ? true : empty;
    setState(DataSetState::Insert);
}

int Table::insertRow() {
    if (m_state != DataSetState::Insert)
        return -1;
    if (m_appending)
        return RecordCount();
    return m_hasRecord ? std::max(RecNo(), 0) : 0;
}

void Table::Edit() {
    requireActive();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return;
    if (!m_hasRecord) {
        Insert();
        return;
    }
    // Edit what is on disk now, not what the window read a while ago.
    if (auto rec = readByRowid(m_rows[m_pos].rowid, false)) {
        m_rows[m_pos] = *rec;
        loadCurrent();
    } else {
        throw EngineError(InvalidOperation,
                          QStringLiteral("The record was deleted by another user"));
    }
    m_current = m_rows[m_pos].values;
    m_view = &m_current;
    m_changedFields.assign(m_info->fields.size(), false);
    m_modified = false;
    setState(DataSetState::Edit);
}

void Table::Cancel() {
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    if (m_state == DataSetState::Insert) {
        m_bof = m_savedBof;
        m_eof = m_savedEof;
    }
    m_view = m_hasRecord && m_pos >= 0 ? &m_rows[m_pos].values : nullptr;
    m_modified = false;
    setState(DataSetState::Browse);
    emit fieldChanged(-1);
}

bool Table::Post() {
    checkEditable();
    if (!UpdateRecord())
        return false;
    if (BeforePost) {
        try {
            BeforePost(*this);
        } catch (const Abort&) {
            return false;
        }
    }
    for (;;) {
        try {
            return writeRecord();
        } catch (const EngineError& e) {
            if (!OnPostError)
                throw;
            switch (OnPostError(*this, e)) {
            case PostErrorAction::Abort:
                return false;
            case PostErrorAction::Retry:
                continue;
            case PostErrorAction::Fail:
                throw;
            }
        }
    }
}

bool Table::writeRecord() {
    prepareSession();
    m_db->checkWritable();
    qint64 rowid = 0;
    const bool inserting = m_state == DataSetState::Insert;
    if (inserting) {
        const bool withRowid = m_info->rowidField >= 0 && !m_current[m_info->rowidField].isNull();
        QString& sql = withRowid ? m_insertWithKeySql : m_insertSql;
        if (sql.isEmpty()) {
            QStringList cols, marks;
            for (size_t i = 0; i < m_info->fields.size(); ++i) {
                if (static_cast<int>(i) == m_info->rowidField && !withRowid)
                    continue;
                cols << quote(m_info->fields[i].name);
                marks << QStringLiteral("?");
            }
            for (const int fi : m_info->foldedFields) {
                cols << quote(foldColumn(m_info->fields[fi].name));
                marks << QStringLiteral("?");
            }
            sql = QLatin1String("INSERT INTO ") + quote(m_info->name) + QLatin1String(" (") +
                  cols.join(QLatin1String(", ")) + QLatin1String(") VALUES (") +
                  marks.join(QLatin1String(", ")) + QLatin1Char(')');
        }
        Statement st(*m_db, sql);
        int b = 1;
        for (size_t i = 0; i < m_info->fields.size(); ++i)
            if (static_cast<int>(i) != m_info->rowidField || withRowid)
                st.bind(b++, m_current[i]);
        for (const int fi : m_info->foldedFields)
            st.bind(b++, folded(m_current[fi]));
        st.exec();
        rowid = sqlite3_last_insert_rowid(m_db->handle());
    } else {
        rowid = m_rows[m_pos].rowid;
        QStringList sets;
        std::vector<QVariant> binds;
        for (size_t i = 0; i < m_info->fields.size(); ++i) {
            if (!m_changedFields[i])
                continue;
            sets << quote(m_info->fields[i].name) + QLatin1String(" = ?");
            binds.push_back(m_current[i]);
            if (m_info->isFolded(static_cast<int>(i))) {
                sets << quote(foldColumn(m_info->fields[i].name)) + QLatin1String(" = ?");
                binds.push_back(folded(m_current[i]));
            }
        }
        if (!sets.isEmpty()) {
            Statement st(*m_db, QLatin1String("UPDATE ") + quote(m_info->name) +
                                    QLatin1String(" SET ") + sets.join(QLatin1String(", ")) +
                                    QLatin1String(" WHERE rowid = ?"));
            int b = 1;
            for (const QVariant& v : binds)
                st.bind(b++, v);
            st.bind(b, rowid);
            st.exec();
        }
    }
    m_db->touch(*m_info);
    m_modified = false;
    // The record now holds exactly what was bound (the columns' affinities keep every stored
    // kind), so it need not be read back.
    Record rec;
    rec.rowid = rowid;
    rec.values = std::move(m_current);
    if (m_info->rowidField >= 0)
        rec.values[m_info->rowidField] = rowid;
    m_current.clear();
    positionAt(std::move(rec));
    if (inserting) {
        m_bof = false;
        m_eof = false;
    }
    m_changedFields.assign(m_info->fields.size(), false);
    setState(DataSetState::Browse);
    emit dataChanged();
    return true;
}

void Table::Delete() {
    requireActive();
    if (m_state == DataSetState::Insert) {
        Cancel();
        return;
    }
    if (m_state == DataSetState::Edit)
        Cancel();
    if (!m_hasRecord)
        throw EngineError(
            InvalidOperation,
            QStringLiteral("Cannot delete from an empty table (%1)").arg(m_tableName));
    prepareSession();
    m_db->checkWritable();
    const Record old = m_rows[m_pos];
    {
        Statement st(*m_db, QLatin1String("DELETE FROM ") + quote(m_info->name) +
                                QLatin1String(" WHERE rowid = ?"));
        st.bind(1, old.rowid);
        st.exec();
    }
    m_db->touch(*m_info);
    auto next = fetchFrom(old, true, 1);
    if (!next.empty()) {
        positionAt(next.front());
        m_bof = m_eof = false;
    } else {
        auto prev = fetchFrom(old, false, 1);
        if (!prev.empty()) {
            positionAt(prev.front());
            m_bof = false;
            m_eof = true;
        } else {
            positionEmpty();
        }
    }
    emit dataChanged();
    scrolled();
}

void Table::EmptyTable() {
    std::shared_ptr<Database> db = m_db ? m_db : Database::open(DatabaseName());
    const TableInfo& info = db->table(m_tableName);
    db->checkPassword(info, session().passwords());
    if (Active() && (m_state == DataSetState::Edit || m_state == DataSetState::Insert))
        Cancel();
    db->setLockRetries(session().LockRetryCount, session().LockWaitTime);
    db->checkWritable();
    db->exec(QLatin1String("DELETE FROM ") + quote(info.name));
    db->touch(info);
    if (Active()) {
        First();
        emit dataChanged();
    }
}

} // namespace db
