#include "invoicing/rowsgrid.h"

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "db/tablemodel.h"
#include "invoicing/cellinput.h"
#include "ui/dialogs.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

namespace invoicing {

// Edits a cell with a line edit (a choice list in the VAT column) and writes what was typed
// through the grid's checks instead of the model's plain text conversion. Enter finishes the
// cell and then moves on as the grid's own Enter does.
class RowDelegate : public QStyledItemDelegate {
public:
    explicit RowDelegate(InvoiceRowsGrid* grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (index.column() == ColVAT && !m_grid->vatChoices().isEmpty()) {
            auto* box = new QComboBox(parent);
            box->setEditable(true);
            box->addItems(m_grid->vatChoices());
            box->setInsertPolicy(QComboBox::NoInsert);
            return box;
        }
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            const QVariant align = index.data(Qt::TextAlignmentRole);
            if (align.isValid())
                line->setAlignment(Qt::Alignment(align.toInt()));
        }
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString text = index.data(Qt::EditRole).toString();
        // Typing into a cell replaces what it held, as in a spreadsheet.
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setEditText(text);
            if (box->lineEdit())
                box->lineEdit()->selectAll();
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->selectAll();
    }

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        QString text;
        if (auto* box = qobject_cast<QComboBox*>(editor))
            text = box->currentText();
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            text = line->text();
        else
            return;
        // Unchanged text writes nothing, so that merely passing through a cell never edits it.
        if (text == index.data(Qt::EditRole).toString())
            return;
        m_grid->writeCell(index.row(), index.column(), text);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                key->modifiers() == Qt::NoModifier) {
                auto* editor = qobject_cast<QWidget*>(object);
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                QKeyEvent again(QEvent::KeyPress, key->key(), Qt::NoModifier);
                m_grid->keyPressEvent(&again);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    InvoiceRowsGrid* m_grid;
};

InvoiceRowsGrid::InvoiceRowsGrid(db::Table* rows, QWidget* parent)
    : ui::DBGrid(rows, parent)
    , m_editable(RowColumnCount, true) {
    setItemDelegate(new RowDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    horizontalHeader()->setStretchLastSection(false);
    // A refresh of the rows (after every computation) resets the model; the user's column
    // must survive it without counting as leaving or entering a column.
    connect(tableModel(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (currentIndex().isValid())
            m_keptColumn = currentIndex().column();
        m_resetting = true;
    });
    connect(tableModel(), &db::TableModel::currentRowChanged, this, [this](int row) {
        if (!m_resetting)
            return;
        m_resetting = false;
        if (row >= 0 && m_keptColumn >= 0 && currentIndex().column() != m_keptColumn) {
            QScopedValueRollback guard(m_moving, true);
            selectionModel()->setCurrentIndex(model()->index(row, m_keptColumn),
                                              QItemSelectionModel::ClearAndSelect);
        }
    });
}

db::Table* InvoiceRowsGrid::rows() const {
    return static_cast<db::Table*>(dataSet());
}

int InvoiceRowsGrid::selectedIndex() const {
    return currentIndex().isValid() ? currentIndex().column()
                                    : (m_keptColumn >= 0 ? m_keptColumn : 0);
}

void InvoiceRowsGrid::setSelectedIndex(int column) {
    if (m_moving) {
        m_redirect = column;
        return;
    }
    if (tableModel()->currentRow() < 0) {
        // An empty table: entering the column lets the owner start the first row.
        enterColumn(column);
        if (tableModel()->currentRow() < 0)
            return;
        QScopedValueRollback guard(m_moving, true);
        selectionModel()->setCurrentIndex(model()->index(tableModel()->currentRow(), column),
                                          QItemSelectionModel::ClearAndSelect);
        return;
    }
    const QModelIndex target = model()->index(tableModel()->currentRow(), column);
    if (target == currentIndex()) {
        enterColumn(column);
        return;
    }
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
}

bool InvoiceRowsGrid::columnEditable(int column) const {
    return column >= 0 && column < RowColumnCount && m_editable[static_cast<size_t>(column)] &&
           !isColumnHidden(column) && column != ColSum;
}

void InvoiceRowsGrid::setColumnEditable(int column, bool editable) {
    if (column >= 0 && column < RowColumnCount)
        m_editable[static_cast<size_t>(column)] = editable;
}

QString InvoiceRowsGrid::columnTitle(int column) const {
    return model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

bool InvoiceRowsGrid::writeCell(int row, int column, const QString& text) {
    db::Table* table = rows();
    if (!table || !table->Active() || isReadOnly() || !columnEditable(column))
        return false;
    try {
        if (tableModel()->currentRow() != row && row >= 0) {
            tableModel()->setCurrentRow(row);
            if (tableModel()->currentRow() != row)
                return false;
        }
        if (table->IsEmpty()) {
            table->Append();
            table->Post();
        }
        db::Field& field = table->FieldByName(columnField(column));
        const CellValue value = readCell(field, columnTitle(column), text);
        if (!value.ok) {
            ui::ShowError(value.message);
            return false;
        }
        // A quantity, price or discount whose row amount no money field could hold.
        if (column == ColQty || column == ColPrice || column == ColDiscount) {
            const double qty = column == ColQty
                                   ? value.number
                                   : table->FieldByName(QStringLiteral("Qty")).AsFloat();
            const Currency price = column == ColPrice
                                       ? value.amount
                                       : table->FieldByName(QStringLiteral("Price")).AsCurrency();
            const double discount = column == ColDiscount
                                        ? value.number
                                        : table->FieldByName(QStringLiteral("Discount")).AsFloat();
            if (!rowAmountFits(price, qty, discount)) {
                ui::ShowError(columnTitle(column) + QStringLiteral(": \"") + text.trimmed() +
                              QStringLiteral("\" makes the row's amount too large."));
                return false;
            }
        }
        if (table->State() == db::DataSetState::Browse)
            table->Edit();
        value.applyTo(field);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return false;
    }
    return true;
}

void InvoiceRowsGrid::enterColumn(int column) {
    m_entered = true;
    m_keptColumn = column;
    if (onColEnter)
        onColEnter(column);
}

void InvoiceRowsGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The grid following the rows (a row appended or deleted, the cursor moved by the editor)
    // is no move of the user's: the dataset is on the new row already.
    const bool following = previous.isValid() && current.isValid() &&
                           current.row() != previous.row() &&
                           current.row() == tableModel()->currentRow();
    if (m_moving || m_resetting || !current.isValid() || following) {
        ui::DBGrid::currentChanged(current, previous);
        return;
    }
    QScopedValueRollback guard(m_moving, true);
    int targetRow = current.row();
    int targetColumn = current.column();
    const bool left = previous.isValid() && m_entered && previous != current;
    if (left && onColExit) {
        m_redirect = -1;
        const int before = tableModel()->currentRow();
        onColExit(previous.column());
        const int after = tableModel()->currentRow();
        if (after != before && after >= 0)
            targetRow = after; // the exit appended a row or moved to another
        if (m_redirect >= 0) {
            targetColumn = m_redirect;
            targetRow = after >= 0 ? after : targetRow;
        }
    }
    const QModelIndex target = model()->index(targetRow, targetColumn);
    if (target.isValid() && target != current) {
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        ui::DBGrid::currentChanged(target, previous);
    } else {
        ui::DBGrid::currentChanged(current, previous);
    }
    if (!left && m_entered && previous.isValid())
        return;
    if (left || !m_entered)
        enterColumn(target.isValid() ? targetColumn : current.column());
}

void InvoiceRowsGrid::keyPressEvent(QKeyEvent* event) {
    if (onKeyDown && onKeyDown(event, selectedIndex())) {
        event->accept();
        return;
    }
    ui::DBGrid::keyPressEvent(event);
}

void InvoiceRowsGrid::focusInEvent(QFocusEvent* event) {
    ui::DBGrid::focusInEvent(event);
    if (!currentIndex().isValid() && !isReadOnly())
        setSelectedIndex(m_keptColumn >= 0 ? m_keptColumn : ColItem);
    else if (!m_entered && currentIndex().isValid())
        enterColumn(currentIndex().column());
}

} // namespace invoicing
