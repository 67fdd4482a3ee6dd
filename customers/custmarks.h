#pragma once

#include <QString>
#include <Qt>

namespace db {
class Table;
}

// The selection of the customer lists, kept in the customers' "Mark" field: Ctrl-click marks
// or unmarks one customer, Shift-click marks the range from the clicked customer to the
// anchor (the customer last marked by Ctrl-click or by the first Shift-click), compared by the
// key of the current sort.
namespace customers {

class CustomerMarks {
public:
    explicit CustomerMarks(db::Table& customers)
        : m_table(customers) {}

    // The field of the sort: "Cust. no", "Company" or "Reference"; any other index sorts by
    // number.
    static QString keyField(const QString& indexName);

    QString anchor() const { return m_anchor; }
    bool hasAnchor() const { return m_hasAnchor; }

    // A click on the current record with these keys held. A range whose anchor is not met
    // (the sort changed since) ends at the end or the beginning of the table.
    void click(Qt::KeyboardModifiers modifiers);

    // Marks every customer / clears every mark, each in one statement. The table is read
    // again and left on its first record.
    void markAll();
    void clearAll();

private:
    void mark(bool on);

    db::Table& m_table;
    QString m_anchor;
    bool m_hasAnchor = false;
};

} // namespace customers
