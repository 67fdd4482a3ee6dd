#include "db/tablemodel.h"

#include <algorithm>

namespace db {

namespace {
constexpr int kMaxPages = 64;
}

TableModel::TableModel(DataSet* dataSet, QObject* parent)
    : QAbstractTableModel(parent)
    , m_set(dataSet) {
    connect(dataSet, &DataSet::dataChanged, this, &TableModel::reset);
    connect(dataSet, &DataSet::stateChanged, this, &TableModel::onStateChanged);
    connect(dataSet, &DataSet::afterScroll, this, &TableModel::onScroll);
    connect(dataSet, &DataSet::fieldChanged, this, &TableModel::onFieldChanged);
    connect(dataSet, &QObject::destroyed, this, [this] {
        m_set = nullptr;
        reset();
    });
}

void TableModel::setColumns(const QStringList& fieldNames) {
    beginResetModel();
    m_columns = fieldNames;
    m_titles.clear();
    endResetModel();
}

void TableModel::setColumnTitle(int column, const QString& title) {
    m_titles.insert(column, title);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void TableModel::reset() {
    beginResetModel();
    m_count = -1;
    m_current = -2;
    m_pages.clear();
    m_pageOrder.clear();
    m_pagesRead = 0;
    m_insertRow = -1;
    if (m_set && m_set->Active() && m_set->State() == DataSetState::Insert)
        m_insertRow = std::clamp(m_set->insertRow(), 0, rowCount());
    endResetModel();
    emit currentRowChanged(currentRow());
}

void TableModel::onStateChanged() {
    if (!m_set || !m_set->Active()) {
        reset();
        return;
    }
    const bool inserting = m_set->State() == DataSetState::Insert;
    if (inserting && m_insertRow < 0) {
        const int row = std::clamp(m_set->insertRow(), 0, rowCount());
        beginInsertRows(QModelIndex(), row, row);
        m_insertRow = row;
        endInsertRows();
        emit currentRowChanged(row);
    } else if (!inserting && m_insertRow >= 0) {
        // Posted or cancelled: where the record now stands (if anywhere) is read again.
        reset();
    }
}

int TableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_set || !m_set->Active())
        return 0;
    if (m_count < 0)
        m_count = m_set->RecordCount();
    return m_count + (m_insertRow >= 0 ? 1 : 0);
}

int TableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_set)
        return 0;
    return m_columns.isEmpty() ? m_set->FieldCount() : static_cast<int>(m_columns.size());
}

int TableModel::fieldOfColumn(int column) const {
    if (!m_set)
        return -1;
    if (m_columns.isEmpty())
        return column < m_set->FieldCount() ? column : -1;
    if (column < 0 || column >= m_columns.size())
        return -1;
    Field* f = m_set->FindField(m_columns[column]);
    return f ? f->Index() : -1;
}

const std::vector<Record>* TableModel::page(int number) const {
    auto it = m_pages.find(number);
    if (it != m_pages.end()) {
        m_pageOrder.removeOne(number);
        m_pageOrder.append(number);
        return &it.value();
    }
    std::vector<Record> rows;
    bool done = false;
    if (m_set->readsByKey()) {
        // Continue from a neighbour by key: no counting from the start of the table.
        auto prev = m_pages.find(number - 1);
        auto next = m_pages.find(number + 1);
        if (prev != m_pages.end() && static_cast<int>(prev.value().size()) == kPageSize) {
            rows = m_set->readRowsAfter(prev.value().back(), kPageSize);
            done = true;
        } else if (next != m_pages.end() && !next.value().empty()) {
            rows = m_set->readRowsBefore(next.value().front(), kPageSize);
            std::reverse(rows.begin(), rows.end());
            done = static_cast<int>(rows.size()) == kPageSize;
        }
    }
    if (!done)
        rows = m_set->readRows(number * kPageSize, kPageSize);
    ++m_pagesRead;
    if (m_pages.size() >= kMaxPages && !m_pageOrder.isEmpty())
        m_pages.remove(m_pageOrder.takeFirst());
    m_pageOrder.append(number);
    return &m_pages.insert(number, std::move(rows)).value();
}

const Record* TableModel::record(int row) const {
    if (!m_set || row < 0 || row >= rowCount())
        return nullptr;
    if (m_insertRow >= 0) {
        if (row == m_insertRow) {
            m_newRecord.rowid = 0;
            m_newRecord.values.resize(static_cast<size_t>(m_set->FieldCount()));
            for (int i = 0; i < m_set->FieldCount(); ++i)
                m_newRecord.values[static_cast<size_t>(i)] = m_set->fieldValue(i);
            return &m_newRecord;
        }
        if (row > m_insertRow)
            --row; // the stored records after the new one
    }
    const auto* p = page(row / kPageSize);
    const size_t i = static_cast<size_t>(row % kPageSize);
    return i < p->size() ? &(*p)[i] : nullptr;
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const Record* r = record(index.row());
    const int f = fieldOfColumn(index.column());
    if (!r || f < 0 || f >= static_cast<int>(r->values.size()))
        return {};
    Field& field = m_set->Fields(f);
    QVariant stored = r->values[f];
    // The record being edited shows what has been typed, before it is posted.
    if (m_set->State() == DataSetState::Edit && m_set->currentRowid() == r->rowid &&
        !isNewRow(index.row()))
        stored = field.Value();
    switch (role) {
    case Qt::DisplayRole:
        return Field::displayTextOf(field.DataType(), stored);
    case Qt::EditRole:
        return Field::textOf(field.DataType(), stored);
    case StoredValueRole:
        return stored;
    case RowIdRole:
        return r->rowid;
    case Qt::TextAlignmentRole:
        switch (field.DataType()) {
        case FieldType::Integer:
        case FieldType::SmallInt:
        case FieldType::AutoInc:
        case FieldType::Float:
        case FieldType::Currency:
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
        }
    default:
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (m_titles.contains(section))
        return m_titles.value(section);
    const int f = fieldOfColumn(section);
    return f >= 0 ? QVariant(m_set->Fields(f).FieldName()) : QVariant();
}

int TableModel::currentRow() const {
    if (!m_set || !m_set->Active())
        return -1;
    if (m_insertRow >= 0)
        return m_insertRow;
    if (m_current == -2)
        m_current = m_set->RecNo();
    return m_current;
}

void TableModel::setCurrentRow(int row) {
    if (isNewRow(row))
        return; // it is the current record already
    const Record* r = record(row);
    if (!r)
        return;
    m_set->GotoBookmark({r->rowid, true});
}

void TableModel::onScroll() {
    m_current = -2;
    emit currentRowChanged(currentRow());
}

void TableModel::onFieldChanged(int) {
    const int row = currentRow();
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    else
        reset();
}

} // namespace db
