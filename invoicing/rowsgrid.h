#pragma once

#include "ui/dbgrid.h"

#include <QStringList>

#include <functional>

namespace db {
class Table;
}

namespace invoicing {

// Column numbers of the rows grid, in order.
enum RowColumn {
    ColItem = 0,
    ColCode,
    ColDescription,
    ColQty,
    ColUnit,
    ColPrice,
    ColDiscount,
    ColVAT,
    ColSum,
    RowColumnCount
};

// The editor's rows grid: a data-bound grid over the working rows that tells its owner when a
// column is entered and left (also when the row changes), lets the owner move it to another
// column, edits numbers in the desktop's locale with a clear refusal of what is not a number,
// and offers the VAT rates as a choice list in the VAT column.
class InvoiceRowsGrid : public ui::DBGrid {
    Q_OBJECT
public:
    explicit InvoiceRowsGrid(db::Table* rows, QWidget* parent = nullptr);

    db::Table* rows() const;
    // The column the user is in (the grid's selected column).
    int selectedIndex() const;
    // Moves to a column of the current row; enters it as the user would.
    void setSelectedIndex(int column);
    // Whether a column takes input (hidden columns and read-only ones do not).
    bool columnEditable(int column) const;
    void setColumnEditable(int column, bool editable);

    void setVatChoices(const QStringList& choices) { m_vatChoices = choices; }
    const QStringList& vatChoices() const { return m_vatChoices; }

    // Called while the user leaves a column (before the move) and after a column is entered.
    std::function<void(int column)> onColExit;
    std::function<void(int column)> onColEnter;
    // Key handling of the owner; return true when the key was used.
    std::function<bool(QKeyEvent* event, int column)> onKeyDown;

    // Refuses or converts what was typed into a cell; true when written. Numbers are read in
    // the desktop's locale (the point is also accepted); amounts may have four decimals.
    bool writeCell(int row, int column, const QString& text);
    // The column title as the message names it.
    QString columnTitle(int column) const;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    friend class RowDelegate;
    void enterColumn(int column);

    QStringList m_vatChoices;
    std::vector<bool> m_editable;
    bool m_moving = false;    // a move of the grid's own, not the user's
    bool m_resetting = false; // the model is being read again
    bool m_entered = false;   // a column has been entered since the grid was shown
    int m_redirect = -1;      // the column an exit handler asked for
    int m_keptColumn = -1;
};

} // namespace invoicing
