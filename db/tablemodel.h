#pragma once

#include "db/dataset.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QStringList>

namespace db {

// A Qt item model over a dataset for grids: one row per record in the dataset's current order
// and filter, one column per field (or the fields named in setColumns). Rows are read in pages
// when a view asks for them, continuing by key from a neighbouring page where possible, so a
// large table is never read whole. The dataset's current record and the model's current row
// follow each other: currentRowChanged() when the cursor moves, setCurrentRow() to move it.
// A new record being inserted is a row of its own from the moment it is started (where the
// dataset's insertRow() puts it) until it is posted or cancelled, so a view always shows the
// record the bound controls edit.
class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kPageSize = 64;
    enum Roles { StoredValueRole = Qt::UserRole + 1, RowIdRole };

    explicit TableModel(DataSet* dataSet, QObject* parent = nullptr);

    DataSet* dataSet() const { return m_set; }
    // Field names shown as columns, in order; empty shows every field.
    void setColumns(const QStringList& fieldNames);
    QStringList columns() const { return m_columns; }
    // Header text of a column (the field name when none is set).
    void setColumnTitle(int column, const QString& title);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Row of the dataset's current record, -1 when there is none.
    int currentRow() const;
    // Makes the record shown in row the dataset's current record. The move does not happen
    // when the record being edited cannot be posted (currentRow() stays as it was).
    void setCurrentRow(int row);
    // Whether a row is the new record that has not been posted yet.
    bool isNewRow(int row) const { return row >= 0 && row == m_insertRow; }
    // The record shown in a row (nullptr past the end); valid until the model reads again.
    const Record* recordAt(int row) const { return record(row); }
    // Pages read from the dataset since the last reset (for tests and benchmarks).
    int pagesRead() const { return m_pagesRead; }

signals:
    void currentRowChanged(int row);

private:
    const std::vector<Record>* page(int number) const;
    const Record* record(int row) const;
    int fieldOfColumn(int column) const;
    void reset();
    void onStateChanged();
    void onScroll();
    void onFieldChanged(int field);

    QPointer<DataSet> m_set;
    QStringList m_columns;
    QHash<int, QString> m_titles;
    mutable int m_count = -1;
    mutable int m_current = -2; // -2: not known yet
    int m_insertRow = -1;       // the new record's row while one is inserted
    mutable Record m_newRecord; // what the new record holds, as last shown
    mutable QHash<int, std::vector<Record>> m_pages;
    mutable QList<int> m_pageOrder; // least recently read first
    mutable int m_pagesRead = 0;
};

} // namespace db
