#pragma once

#include "db/dataset.h"

#include <QColor>
#include <QStringList>
#include <QTableView>

#include <functional>
#include <vector>

namespace db {
class TableModel;
}

namespace ui {

// One row of a grid as a row-colour callback sees it: any field of the record by name,
// shown in a column or not.
class GridRow {
public:
    GridRow(const db::DataSet& set, const db::Record& record, int row)
        : m_set(set)
        , m_record(record)
        , m_row(row) {}
    int row() const { return m_row; }
    // The stored value (null, qint64, double or text); invalid for an unknown field.
    QVariant value(const QString& field) const;
    // The value as the grid shows it.
    QString text(const QString& field) const;

private:
    const db::DataSet& m_set;
    const db::Record& m_record;
    int m_row;
};

// A grid over a dataset: one row per record, columns by field with titles, whole-row
// selection, and the dataset's current record and the grid's current row following each
// other. A click or a key that goes to another row moves the dataset there, which posts the
// record being edited first; when that post is refused (a bound box holds what its field
// cannot take, or the engine refuses the record), the dataset, the current row and the
// selection all stay on the record being edited. A new record being inserted has its own row
// from the start. Unless read-only, a cell is edited in place through the dataset: the record
// goes into edit mode, the value is checked (numbers by their field's ui::NumberRule, other
// values by the field, refused with a message), and the record is posted when the cursor moves
// to another row. With multi-select, Ctrl and Shift select several rows, and
// selectedBookmarks() names their records.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(db::DataSet* dataSet, QWidget* parent = nullptr);

    db::DataSet* dataSet() const { return m_set; }
    db::TableModel* tableModel() const { return m_model; }

    // Field names shown as columns, in order, with their titles (the field name where a title
    // is missing or empty); no fields shows every field under its own name.
    void setColumns(const QStringList& fieldNames, const QStringList& titles = {});
    // The field shown in a column, or an empty text.
    QString columnField(int column) const;

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);

    bool multiSelect() const { return m_multiSelect; }
    void setMultiSelect(bool on);
    // The records of the selected rows, top to bottom (the current record when nothing else
    // is selected).
    std::vector<db::Bookmark> selectedBookmarks() const;

    // Writes what an open cell editor holds through the field and closes the editor, as
    // leaving the cell does; a window calls it before it posts or reads the record.
    void commitEditor();

    // Background colour of each row; an invalid colour leaves the row as it is.
    using RowColor = std::function<QColor(const GridRow& row)>;
    void setRowColor(RowColor color);
    // Text colour of each row; an invalid colour leaves the row's text as it is.
    void setRowTextColor(RowColor color);

signals:
    // A column title was clicked; gives the column's field name.
    void titleClick(const QString& fieldName);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void followDataSet(int row);
    // Runs the view's own handling of an event; when it tried to move and the move was
    // refused, the current row and the selection go back to the dataset's record.
    template <typename Handle>
    void keepToTheRecord(Handle handle);

    db::DataSet* m_set;
    db::TableModel* m_model;
    bool m_readOnly = false;
    bool m_multiSelect = false;
    bool m_syncing = false;
    bool m_moveRefused = false;
};

} // namespace ui
