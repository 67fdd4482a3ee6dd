#include "ui/dbgrid.h"

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "db/tablemodel.h"
#include "ui/dbcontrols.h"
#include "ui/dialogs.h"

#include <QBrush>
#include <QHeaderView>

#include <algorithm>

namespace ui {

QVariant GridRow::value(const QString& field) const {
    db::Field* f = const_cast<db::DataSet&>(m_set).FindField(field);
    if (!f || f->Index() >= static_cast<int>(m_record.values.size()))
        return {};
    return m_record.values[static_cast<size_t>(f->Index())];
}

QString GridRow::text(const QString& field) const {
    db::Field* f = const_cast<db::DataSet&>(m_set).FindField(field);
    return f ? db::Field::displayTextOf(f->DataType(), value(field)) : QString();
}

namespace {

// The grid's model: the table model with row colours and editing through the dataset.
class GridModel : public db::TableModel {
public:
    GridModel(db::DataSet* set, QObject* parent)
        : db::TableModel(set, parent) {}

    bool readOnly = false;
    DBGrid::RowColor rowColor;
    DBGrid::RowColor textColor;
    std::function<QString(int)> fieldOfColumn;

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = db::TableModel::flags(index);
        if (!readOnly && index.isValid() && qobject_cast<db::Table*>(dataSet()))
            f |= Qt::ItemIsEditable;
        return f;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::BackgroundRole && role != Qt::ForegroundRole)
            return db::TableModel::data(index, role);
        const DBGrid::RowColor& colorOf = role == Qt::BackgroundRole ? rowColor : textColor;
        if (!colorOf || !index.isValid() || !dataSet())
            return {};
        const db::Record* record = recordAt(index.row());
        if (!record)
            return {};
        const QColor color = colorOf(GridRow(*dataSet(), *record, index.row()));
        return color.isValid() ? QVariant(QBrush(color)) : QVariant();
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        auto* table = qobject_cast<db::Table*>(dataSet());
        if (role != Qt::EditRole || readOnly || !table || !index.isValid())
            return false;
        const QString field = fieldOfColumn(index.column());
        try {
            if (currentRow() != index.row()) {
                setCurrentRow(index.row());
                if (currentRow() != index.row())
                    return false;
            }
            db::Field& f = table->FieldByName(field);
            const QString text = value.toString();
            if (text == f.AsString())
                return true; // nothing changed: the record stays as it is
            const std::optional<ui::NumberRule> rule = ui::numberRuleFor(f);
            const ui::NumberReading reading = rule ? rule->read(text) : ui::NumberReading();
            if (rule && !reading) {
                ShowError(reading.message);
                return false;
            }
            if (table->State() == db::DataSetState::Browse)
                table->Edit();
            if (rule)
                ui::writeNumber(f, *rule, reading);
            else
                f.setAsString(text);
        } catch (const db::EngineError& e) {
            ShowError(e.message());
            return false;
        }
        return true;
    }
};

GridModel* gridModel(db::TableModel* model) {
    return static_cast<GridModel*>(model);
}

} // namespace

DBGrid::DBGrid(db::DataSet* dataSet, QWidget* parent)
    : QTableView(parent)
    , m_set(dataSet) {
    auto* model = new GridModel(dataSet, this);
    model->fieldOfColumn = [this](int column) { return columnField(column); };
    m_model = model;
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    setWordWrap(false);
    setReadOnly(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { emit titleClick(columnField(section)); });
    connect(m_model, &db::TableModel::currentRowChanged, this, &DBGrid::followDataSet);
    followDataSet(m_model->currentRow());
}

void DBGrid::setColumns(const QStringList& fieldNames, const QStringList& titles) {
    m_model->setColumns(fieldNames);
    for (int i = 0; i < titles.size() && i < fieldNames.size(); ++i)
        if (!titles[i].isEmpty())
            m_model->setColumnTitle(i, titles[i]);
    followDataSet(m_model->currentRow());
}

QString DBGrid::columnField(int column) const {
    const QStringList columns = m_model->columns();
    if (!columns.isEmpty())
        return column >= 0 && column < columns.size() ? columns[column] : QString();
    if (!m_set || column < 0 || column >= m_set->FieldCount())
        return QString();
    return m_set->Fields(column).FieldName();
}

void DBGrid::setReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    gridModel(m_model)->readOnly = readOnly;
    setEditTriggers(readOnly
                        ? QAbstractItemView::NoEditTriggers
                        : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
}

void DBGrid::setMultiSelect(bool on) {
    m_multiSelect = on;
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                        : QAbstractItemView::SingleSelection);
}

std::vector<db::Bookmark> DBGrid::selectedBookmarks() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    std::vector<db::Bookmark> out;
    for (int row : rows)
        if (const db::Record* record = m_model->recordAt(row); record && !m_model->isNewRow(row))
            out.push_back({record->rowid, true});
    if (out.empty() && m_set && m_set->Active()) {
        const db::Bookmark current = m_set->GetBookmark();
        if (current.valid)
            out.push_back(current);
    }
    return out;
}

void DBGrid::commitEditor() {
    const QModelIndex index = currentIndex();
    QWidget* editor = index.isValid() ? indexWidget(index) : nullptr;
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DBGrid::setRowColor(RowColor color) {
    gridModel(m_model)->rowColor = std::move(color);
    viewport()->update();
}

void DBGrid::setRowTextColor(RowColor color) {
    gridModel(m_model)->textColor = std::move(color);
    viewport()->update();
}

void DBGrid::followDataSet(int row) {
    // The grid moved the cursor itself (a click, the arrow keys): its selection is the user's.
    if (row >= 0 && currentIndex().row() == row)
        return;
    m_syncing = true;
    if (row < 0) {
        selectionModel()->clearCurrentIndex();
    } else {
        const int column = std::max(currentIndex().column(), 0);
        const QModelIndex index = m_model->index(row, column);
        // A Ctrl/Shift selection stays while the cursor moves inside it.
        const bool keep = m_multiSelect && selectionModel()->isRowSelected(row, QModelIndex());
        selectionModel()->setCurrentIndex(index, keep ? QItemSelectionModel::NoUpdate
                                                      : QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
        scrollTo(index);
    }
    m_syncing = false;
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid() || current.row() == m_model->currentRow())
        return;
    try {
        // Moving posts the record being edited; a refused post keeps the cursor.
        m_model->setCurrentRow(current.row());
    } catch (const db::EngineError& e) {
        ShowError(e.message());
    }
    if (m_model->currentRow() != current.row()) {
        m_moveRefused = true;
        followDataSet(m_model->currentRow());
    }
}

template <typename Handle>
void DBGrid::keepToTheRecord(Handle handle) {
    m_moveRefused = false;
    handle();
    if (!m_moveRefused)
        return;
    m_moveRefused = false;
    // The view selects the row it was sent to after moving its current index there; the
    // record being edited stays the current and the only selected row.
    const int row = m_model->currentRow();
    if (row < 0)
        return;
    m_syncing = true;
    selectionModel()->setCurrentIndex(m_model->index(row, std::max(currentIndex().column(), 0)),
                                      QItemSelectionModel::ClearAndSelect |
                                          QItemSelectionModel::Rows);
    m_syncing = false;
}

void DBGrid::mousePressEvent(QMouseEvent* event) {
    keepToTheRecord([&] { QTableView::mousePressEvent(event); });
}

void DBGrid::mouseMoveEvent(QMouseEvent* event) {
    keepToTheRecord([&] { QTableView::mouseMoveEvent(event); });
}

void DBGrid::mouseReleaseEvent(QMouseEvent* event) {
    keepToTheRecord([&] { QTableView::mouseReleaseEvent(event); });
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    keepToTheRecord([&] { QTableView::keyPressEvent(event); });
}

} // namespace ui
