#include "db/table.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/nocase.h"
#include "db/sqlrewriter.h"

#include <sqlite3.h>

namespace db {

namespace {

constexpr int kWindow = 32;
constexpr size_t kMaxBuffered = 256;

QString quote(const QString& name) {
    return quoteIdentifier(name);
}

bool isTextField(FieldType t) {
    return t == FieldType::String || t == FieldType::Memo;
}

// A stored text as its folded shadow column holds it (NULL stays NULL).
QVariant folded(const QVariant& stored) {
    return stored.isNull() ? QVariant() : QVariant(foldCase(stored.toString()));
}

// Above every continuation of a folded prefix: [prefix, prefix + this) holds what starts with it.
const QString kAfterEveryLetter = QString::fromUcs4(U"\U0010FFFF");

} // namespace

Table::Table(QObject* parent)
    : DataSet(parent) {}

Table::~Table() {
    try {
        Close();
    } catch (...) {
    }
}

void Table::setTableName(const QString& name) {
    if (Active() && name.compare(m_tableName, Qt::CaseInsensitive) != 0)
        throw EngineError(InvalidOperation,
                          QStringLiteral("Cannot change the name of an open table"));
    m_tableName = name;
}

void Table::prepareSession() {
    m_db->setLockRetries(session().LockRetryCount, session().LockWaitTime);
}

void Table::Open() {
    if (Active())
        return;
    m_db = Database::open(DatabaseName());
    try {
        m_info = &m_db->table(m_tableName);
        m_db->checkPassword(*m_info, session().passwords());
        openCheckExclusive();
        if (!m_indexName.isEmpty() &&
            m_indexName.compare(m_info->primaryIndexName, Qt::CaseInsensitive) != 0 &&
            !m_info->findIndex(m_indexName))
            throw EngineError(IndexNotFound, QStringLiteral("Index \"%1\" not found in table %2")
                                                 .arg(m_indexName, m_info->name));
        m_filterSql = m_filtered && !m_filter.trimmed().isEmpty()
                          ? sql::rewriteCondition(m_filter, *m_info)
                          : QString();
        buildFields(m_info->fields);
        buildOrder();
        m_insertSql.clear();
        m_insertWithKeySql.clear();
        m_locateSql.clear();
        if (m_info->selectList.isEmpty()) {
            QString list = QStringLiteral("rowid");
            for (const FieldInfo& f : m_info->fields)
                list += QLatin1String(", ") + quote(f.name);
            m_info->selectList = list;
        }
        m_selectList = m_info->selectList;
        m_changedFields.assign(m_info->fields.size(), false);
    } catch (...) {
        m_db.reset();
        m_info = nullptr;
        throw;
    }
    m_db->registerDataSet(this);
    setState(DataSetState::Browse);
    First();
}

void Table::openCheckExclusive() {
    for (DataSet* set : m_db->dataSets()) {
        auto* other = qobject_cast<Table*>(set);
        if (!other || other == this || !other->Active())
            continue;
        if (other->m_info == m_info && (m_exclusive || other->m_exclusive))
            throw EngineError(TableInUse, QStringLiteral("Table %1 is in use").arg(m_info->name));
    }
}

void Table::Close() {
    if (!Active())
        return;
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        Cancel();
    m_db->unregisterDataSet(this);
    m_rows.clear();
    m_pos = -1;
    m_hasRecord = false;
    m_bof = m_eof = true;
    m_view = nullptr;
    setState(DataSetState::Inactive);
    m_db.reset();
    m_info = nullptr;
}

void Table::buildOrder() {
    m_order.clear();
    m_locateSql.clear();
    m_orderAsc = QStringLiteral("rowid");
    m_orderDesc = QStringLiteral("rowid DESC");
    if (m_indexName.isEmpty() ||
        m_indexName.compare(m_info->primaryIndexName, Qt::CaseInsensitive) == 0)
        return;
    const IndexInfo* ix = m_info->findIndex(m_indexName);
    if (!ix)
        return;
    for (const QString& f : ix->fields) {
        const int fi = m_info->fieldIndex(f);
        // A case-insensitive index orders by the folded shadow column, which it indexes.
        const QString& name = m_info->fields[fi].name;
        m_order.push_back(
            {fi, quote(ix->caseInsensitive ? foldColumn(name) : name), ix->caseInsensitive});
    }
    QStringList asc, desc;
    for (const OrderColumn& c : m_order) {
        asc << c.expr;
        desc << c.expr + QLatin1String(" DESC");
    }
    asc << QStringLiteral("rowid");
    desc << QStringLiteral("rowid DESC");
    m_orderAsc = asc.join(QLatin1String(", "));
    m_orderDesc = desc.join(QLatin1String(", "));
}

void Table::setIndexName(const QString& name) {
    if (Active()) {
        if (!name.isEmpty() && name.compare(m_info->primaryIndexName, Qt::CaseInsensitive) != 0 &&
            !m_info->findIndex(name))
            throw EngineError(
                IndexNotFound,
                QStringLiteral("Index \"%1\" not found in table %2").arg(name, m_info->name));
        if (!CheckBrowseMode())
            return;
    }
    m_indexName = name;
    if (!Active())
        return;
    buildOrder();
    if (m_hasRecord)
        reposition(currentRecord());
    else
        positionEmpty();
    emit dataChanged();
}

void Table::setFilter(const QString& filter) {
    m_filter = filter;
    if (Active() && m_filtered) {
        m_filterSql =
            m_filter.trimmed().isEmpty() ? QString() : sql::rewriteCondition(m_filter, *m_info);
        First();
        emit dataChanged();
    }
}

void Table::setFiltered(bool filtered) {
    if (filtered == m_filtered)
        return;
    if (Active() && filtered && !m_filter.trimmed().isEmpty())
        m_filterSql = sql::rewriteCondition(m_filter, *m_info); // may throw: then nothing changed
    m_filtered = filtered;
    if (!filtered)
        m_filterSql.clear();
    if (Active()) {
        First();
        emit dataChanged();
    }
}

void Table::setMasterSource(DataSet* master, const QString& masterField,
                            const QString& detailField) {
    QObject::disconnect(m_masterScroll);
    QObject::disconnect(m_masterChange);
    m_master = master;
    m_masterField = masterField;
    m_detailField = detailField.isEmpty() ? masterField : detailField;
    if (m_master) {
        m_masterScroll = connect(m_master, &DataSet::afterScroll, this, &Table::masterChanged);
        m_masterChange = connect(m_master, &DataSet::dataChanged, this, &Table::masterChanged);
        connect(m_master, &QObject::destroyed, this, [this] { m_master = nullptr; });
    }
    if (Active())
        masterChanged();
}

void Table::masterChanged() {
    if (!Active())
        return;
    if ((m_state == DataSetState::Edit || m_state == DataSetState::Insert) && !CheckBrowseMode())
        Cancel();
    First();
    emit dataChanged();
}

QString Table::selectList() const {
    return m_selectList;
}

QString Table::baseWhere(std::vector<QVariant>* binds) const {
    QStringList conds;
    if (!m_filterSql.isEmpty())
        conds << QLatin1Char('(') + m_filterSql + QLatin1Char(')');
    if (m_master) {
        const int df = m_info->fieldIndex(m_detailField);
        Field* mf = m_master->Active() ? m_master->FindField(m_masterField) : nullptr;
        const QVariant v = mf ? mf->Value() : QVariant();
        if (df < 0 || v.isNull()) {
            conds << QStringLiteral("0");
        } else {
            conds << quote(m_info->fields[df].name) + QLatin1String(" = ?");
            binds->push_back(v);
        }
    }
    return conds.isEmpty() ? QStringLiteral("1") : conds.join(QLatin1String(" AND "));
}

QString Table::selectSql(const QString& where, const QString& order, bool withOffset) const {
    QString sql = QLatin1String("SELECT ") + m_selectList + QLatin1String(" FROM ") +
                  quote(m_info->name) + QLatin1String(" WHERE ") + where +
                  QLatin1String(" ORDER BY ") + order + QLatin1String(" LIMIT ?");
    if (withOffset)
        sql += QLatin1String(" OFFSET ?");
    return sql;
}

std::vector<Record> Table::run(const QString& sql, const std::vector<QVariant>& binds, int limit,
                               int offset) {
    prepareSession();
    Statement st(*m_db, sql);
    int i = 1;
    for (const QVariant& b : binds)
        st.bind(i++, b);
    st.bind(i++, qint64(limit));
    if (offset > 0)
        st.bind(i++, qint64(offset));
    std::vector<Record> out;
    const int n = static_cast<int>(m_info->fields.size());
    while (st.step()) {
        Record r;
        r.rowid = st.int64(0);
        r.values.reserve(n);
        for (int c = 0; c < n; ++c)
            r.values.push_back(st.value(c + 1));
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<Record> Table::query(const QString& where, const std::vector<QVariant>& binds,
                                 const QString& order, int limit, int offset) {
    return run(selectSql(where, order, offset > 0), binds, limit, offset);
}

std::vector<Table::Segment> Table::segmentsAfter(const Record& r, bool after) const {
    std::vector<Segment> segs;
    const int k = static_cast<int>(m_order.size());
    const QString desc = after ? QString() : QStringLiteral(" DESC");
    auto orderFrom = [&](int from) {
        QStringList parts;
        for (int j = from; j < k; ++j)
            parts << m_order[j].expr + desc;
        parts << QStringLiteral("rowid") + desc;
        return parts.join(QLatin1String(", "));
    };
    for (int i = k; i >= 0; --i) {
        QStringList eqs;
        std::vector<QVariant> binds;
        for (int j = 0; j < i; ++j) {
            eqs << m_order[j].expr + QLatin1String(" IS ?");
            binds.push_back(orderValue(r, j));
        }
        if (i == k) {
            Segment s;
            s.where = (eqs + QStringList{after ? QStringLiteral("rowid > ?")
                                               : QStringLiteral("rowid < ?")})
                          .join(QLatin1String(" AND "));
            s.binds = binds;
            s.binds.push_back(r.rowid);
            s.order = orderFrom(k);
            segs.push_back(s);
            continue;
        }
        const QVariant v = orderValue(r, i);
        const QString& col = m_order[i].expr;
        if (after) {
            Segment s;
            s.binds = binds;
            if (v.isNull()) {
                s.where = (eqs + QStringList{col + QLatin1String(" IS NOT NULL")})
                              .join(QLatin1String(" AND "));
            } else {
                s.where =
                    (eqs + QStringList{col + QLatin1String(" > ?")}).join(QLatin1String(" AND "));
                s.binds.push_back(v);
            }
            s.order = orderFrom(i);
            segs.push_back(s);
        } else if (!v.isNull()) {
            Segment smaller;
            smaller.where =
                (eqs + QStringList{col + QLatin1String(" < ?")}).join(QLatin1String(" AND "));
            smaller.binds = binds;
            smaller.binds.push_back(v);
            smaller.order = orderFrom(i);
            segs.push_back(smaller);
            // Empty values sort first, and "<" never finds them.
            Segment empty;
            empty.where =
                (eqs + QStringList{col + QLatin1String(" IS NULL")}).join(QLatin1String(" AND "));
            empty.binds = binds;
            empty.order = orderFrom(i + 1);
            segs.push_back(empty);
        }
    }
    return segs;
}

QVariant Table::orderValue(const Record& r, int column) const {
    const QVariant& v = r.values[m_order[column].field];
    return m_order[column].folded ? folded(v) : v;
}

std::vector<Record> Table::fetchFrom(const Record& r, bool after, int count) {
    std::vector<Record> out;
    std::vector<QVariant> base;
    const QString where = baseWhere(&base);
    for (const Segment& s : segmentsAfter(r, after)) {
        std::vector<QVariant> binds = base;
        binds.insert(binds.end(), s.binds.begin(), s.binds.end());
        auto rows = query(where + QLatin1String(" AND ") + s.where, binds, s.order,
                          count - static_cast<int>(out.size()));
        for (auto& row : rows)
            out.push_back(std::move(row));
        if (static_cast<int>(out.size()) >= count)
            break;
    }
    return out;
}

std::optional<Record> Table::readByRowid(qint64 rowid, bool applyBase) {
    std::vector<QVariant> binds;
    QString where = applyBase ? baseWhere(&binds) + QLatin1String(" AND ") : QString();
    where += QLatin1String("rowid = ?");
    binds.push_back(rowid);
    auto rows = query(where, binds, QStringLiteral("rowid"), 1);
    if (rows.empty())
        return std::nullopt;
    return std::move(rows.front());
}

void Table::loadCurrent() {
    m_view = &m_rows[m_pos].values;
    m_hasRecord = true;
}

void Table::positionAt(Record r) {
    m_recNo = -1;
    m_rows.clear();
    m_rows.push_back(std::move(r));
    m_pos = 0;
    loadCurrent();
    m_version = m_db->version(*m_info);
}

void Table::positionEmpty() {
    m_recNo = -1;
    m_rows.clear();
    m_pos = -1;
    m_hasRecord = false;
    m_bof = m_eof = true;
    m_view = nullptr;
    m_version = m_db->version(*m_info);
}

void Table::reposition(const Record& old) {
    if (auto rec = readByRowid(old.rowid, false)) {
        positionAt(*rec);
        return;
    }
    auto next = fetchFrom(old, true, 1);
    if (!next.empty()) {
        positionAt(next.front());
        return;
    }
    auto prev = fetchFrom(old, false, 1);
    if (!prev.empty()) {
        positionAt(prev.front());
        m_eof = true;
        return;
    }
    positionEmpty();
}

void Table::ensureFresh() {
    if (m_hasRecord && m_version != m_db->version(*m_info)) {
        const bool bof = m_bof, eof = m_eof;
        reposition(m_rows[m_pos]);
        if (m_hasRecord) {
            m_bof = bof;
            m_eof = eof;
        }
    }
}

Record Table::currentRecord() const {
    if (!m_hasRecord || m_pos < 0)
        return {};
    return m_rows[m_pos];
}

bool Table::CheckBrowseMode() {
    requireActive();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) {
        // What a control still holds decides whether there is anything to post at all.
        if (!UpdateRecord())
            return false;
        if (m_modified)
            return Post();
        Cancel();
    }
    return true;
}

void Table::First() {
    requireActive();
    if (!CheckBrowseMode())
        return;
    std::vector<QVariant> binds;
    const QString where = baseWhere(&binds);
    auto rows = query(where, binds, m_orderAsc, kWindow);
    if (rows.empty()) {
        positionEmpty();
    } else {
        m_rows.assign(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
        m_pos = 0;
        loadCurrent();
        m_version = m_db->version(*m_info);
        m_recNo = 0;
        m_bof = true;
        m_eof = false;
    }
    scrolled();
}

void Table::Last() {
    requireActive();
    if (!CheckBrowseMode())
        return;
    std::vector<QVariant> binds;
    const QString where = baseWhere(&binds);
    auto rows = query(where, binds, m_orderDesc, kWindow);
    if (rows.empty()) {
        positionEmpty();
    } else {
        m_rows.clear();
        for (auto& r : rows)
            m_rows.push_front(std::move(r));
        m_pos = static_cast<int>(m_rows.size()) - 1;
        m_recNo = -1;
        loadCurrent();
        m_version = m_db->version(*m_info);
        m_bof = false;
        m_eof = true;
    }
    scrolled();
}

void Table::Next() {
    step(true);
}

void Table::Prior() {
    step(false);
}

// One record forward or back; at the end (or the beginning) only Eof (or Bof) is set.
void Table::step(bool forward) {
    requireActive();
    if (!CheckBrowseMode())
        return;
    bool& edge = forward ? m_eof : m_bof;
    if (!m_hasRecord) {
        edge = true;
        return;
    }
    ensureFresh();
    if (!m_hasRecord) {
        edge = true;
        return;
    }
    const bool atWindowEdge = forward ? m_pos + 1 >= static_cast<int>(m_rows.size()) : m_pos == 0;
    if (atWindowEdge) {
        auto more = fetchFrom(forward ? m_rows.back() : m_rows.front(), forward, kWindow);
        if (more.empty()) {
            edge = true;
            return;
        }
        for (auto& r : more) {
            if (forward) {
                m_rows.push_back(std::move(r));
            } else {
                m_rows.push_front(std::move(r));
                ++m_pos;
            }
        }
        // Keep a bounded window around the current record.
        while (m_rows.size() > kMaxBuffered) {
            if (forward && m_pos > 0) {
                m_rows.pop_front();
                --m_pos;
            } else if (!forward && m_pos + 1 < static_cast<int>(m_rows.size())) {
                m_rows.pop_back();
            } else {
                break;
            }
        }
    }
    m_pos += forward ? 1 : -1;
    if (m_recNo >= 0 && (forward || m_recNo > 0))
        m_recNo += forward ? 1 : -1;
    loadCurrent();
    m_bof = m_eof = false;
    scrolled();
}

int Table::RecordCount() {
    requireActive();
    std::vector<QVariant> binds;
    const QString where = baseWhere(&binds);
    prepareSession();
    Statement st(*m_db, QLatin1String("SELECT COUNT(*) FROM ") + quote(m_info->name) +
                            QLatin1String(" WHERE ") + where);
    int i = 1;
    for (const QVariant& b : binds)
        st.bind(i++, b);
    st.step();
    return static_cast<int>(st.int64(0));
}

int Table::RecNo() {
    if (!Active() || !m_hasRecord)
        return -1;
    if (m_recNo >= 0) // kept up to date by First, Next and Prior
        return m_recNo;
    const Record r = currentRecord();
    std::vector<QVariant> base;
    const QString where = baseWhere(&base);
    int count = 0;
    for (const Segment& s : segmentsAfter(r, false)) {
        Statement st(*m_db, QLatin1String("SELECT COUNT(*) FROM ") + quote(m_info->name) +
                                QLatin1String(" WHERE ") + where + QLatin1String(" AND ") +
                                s.where);
        int i = 1;
        for (const QVariant& b : base)
            st.bind(i++, b);
        for (const QVariant& b : s.binds)
            st.bind(i++, b);
        st.step();
        count += static_cast<int>(st.int64(0));
    }
    m_recNo = count;
    return count;
}

std::vector<Record> Table::readRows(int offset, int count) {
    if (!Active() || count <= 0)
        return {};
    std::vector<QVariant> binds;
    const QString where = baseWhere(&binds);
    return query(where, binds, m_orderAsc, count, offset);
}

std::vector<Record> Table::readRowsAfter(const Record& record, int count) {
    if (!Active() || count <= 0)
        return {};
    return fetchFrom(record, true, count);
}

std::vector<Record> Table::readRowsBefore(const Record& record, int count) {
    if (!Active() || count <= 0)
        return {};
    return fetchFrom(record, false, count);
}

void Table::Refresh() {
    requireActive();
    if (!CheckBrowseMode())
        return;
    if (m_hasRecord) {
        const bool bof = m_bof, eof = m_eof;
        reposition(m_rows[m_pos]);
        if (m_hasRecord) {
            m_bof = bof;
            m_eof = eof;
        }
    } else {
        First();
    }
    emit dataChanged();
}

void Table::afterRollback() {
    if (!Active() || m_state != DataSetState::Browse)
        return;
    if (m_hasRecord)
        ensureFresh();
    else
        First();
    emit dataChanged();
}

bool Table::Locate(const QString& fieldName, const QVariant& value, int options) {
    requireActive();
    if (!CheckBrowseMode())
        return false;
    const int fi = m_info->fieldIndex(fieldName);
    if (fi < 0)
        throw EngineError(
            FieldNotFound,
            QStringLiteral("Field \"%1\" not found in table %2").arg(fieldName, m_info->name));
    const FieldInfo& f = m_info->fields[fi];
    std::vector<QVariant> binds;
    const QString base = baseWhere(&binds);
    enum Kind { Empty, Leading, LeadingExactCase, NoCase, Exact, Value };
    Kind kind = Value;
    // With a shadow column the folded comparisons go through its index; without one the
    // field is folded row by row.
    const bool hasFold = m_info->isFolded(fi);
    if (isTextField(f.type)) {
        const QString text = value.toString();
        const bool partial = options & LocatePartialKey;
        const bool noCase = options & LocateCaseInsensitive;
        if (text.isEmpty()) {
            kind = Empty;
            if (!partial)
                kind = Exact, binds.push_back(QVariant());
        } else if (partial && noCase) {
            kind = Leading;
            const QString prefix = foldCase(text);
            binds.push_back(prefix);
            if (hasFold)
                binds.push_back(prefix + kAfterEveryLetter);
        } else if (partial) {
            kind = LeadingExactCase;
            binds.push_back(qint64(text.size()));
            binds.push_back(text);
        } else if (noCase) {
            kind = NoCase;
            binds.push_back(foldCase(text));
        } else {
            kind = Exact;
            if (hasFold)
                binds.push_back(foldCase(text));
            binds.push_back(text);
        }
    } else {
        try {
            binds.push_back(Field::toStored(f, value));
        } catch (const EngineError&) {
            return false; // "abc" is in no numeric field
        }
    }
    // The statement text depends only on the field, the kind of search and the base condition.
    const int key = fi * 8 + kind;
    auto cached = m_locateSql.find(key);
    if (cached == m_locateSql.end() || cached->first != base) {
        const QString col = quote(f.name);
        const QString fold = hasFold ? quote(foldColumn(f.name))
                                     : QLatin1String("mrv_fold(") + col + QLatin1Char(')');
        QString cond;
        switch (kind) {
        case Empty:
            cond = QStringLiteral("1");
            break;
        case Leading:
            cond = hasFold ? fold + QLatin1String(" >= ? AND ") + fold + QLatin1String(" < ?")
                           : QLatin1String("mrv_startswith(") + col + QLatin1String(", ?)");
            break;
        case LeadingExactCase:
            cond = QLatin1String("substr(") + col + QLatin1String(", 1, ?) = ?");
            break;
        case NoCase:
            cond = fold + QLatin1String(" = ?");
            break;
        case Exact:
            // Through the case-folding index when there is one, then exactly.
            cond = hasFold ? fold + QLatin1String(" IS ? AND ") + col + QLatin1String(" IS ?")
                           : col + QLatin1String(" IS ?");
            break;
        case Value:
            cond = col + QLatin1String(" IS ?");
            break;
        }
        cached = m_locateSql.insert(
            key, {base, selectSql(base + QLatin1String(" AND ") + cond, m_orderAsc)});
    }
    if (kind == Exact && hasFold && binds.back().isNull())
        binds.push_back(QVariant()); // empty finds empty: both terms get the null
    auto rows = run(cached->second, binds, 1);
    if (rows.empty())
        return false;
    positionAt(std::move(rows.front()));
    m_bof = m_eof = false;
    scrolled();
    return true;
}

bool Table::FindKey(const QVariantList& values) {
    requireActive();
    if (!CheckBrowseMode())
        return false;
    std::vector<QVariant> binds;
    QString where = baseWhere(&binds);
    if (m_order.empty()) {
        if (m_info->rowidField < 0 || values.isEmpty())
            throw EngineError(
                InvalidOperation,
                QStringLiteral("Table %1 has no index to find a key in").arg(m_info->name));
        QVariant stored;
        try {
            stored = Field::toStored(m_info->fields[m_info->rowidField], values.first());
        } catch (const EngineError&) {
            return false;
        }
        if (stored.isNull())
            return false;
        where += QLatin1String(" AND rowid = ?");
        binds.push_back(stored);
    } else {
        for (int j = 0; j < values.size() && j < static_cast<int>(m_order.size()); ++j) {
            QVariant stored;
            try {
                stored = Field::toStored(m_info->fields[m_order[j].field], values[j]);
            } catch (const EngineError&) {
                return false;
            }
            where += QLatin1String(" AND ") + m_order[j].expr + QLatin1String(" IS ?");
            binds.push_back(m_order[j].folded ? folded(stored) : stored);
        }
    }
    auto rows = query(where, binds, m_orderAsc, 1);
    if (rows.empty())
        return false;
    positionAt(rows.front());
    m_bof = m_eof = false;
    scrolled();
    return true;
}

bool Table::GotoBookmark(const Bookmark& bookmark) {
    requireActive();
    if (!bookmark.valid || !CheckBrowseMode())
        return false;
    auto rec = readByRowid(bookmark.rowid, true);
    if (!rec)
        return false;
    positionAt(*rec);
    m_bof = m_eof = false;
    scrolled();
    return true;
}

} // namespace db
