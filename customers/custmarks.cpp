#include "customers/custmarks.h"

#include "db/field.h"
#include "db/query.h"
#include "db/table.h"

namespace customers {

namespace {

// Sets every customer's mark in one statement of the table's own session.
void setAllMarks(db::Table& t, bool on) {
    if (!t.Active())
        return;
    t.CheckBrowseMode();
    db::Query q;
    q.setSession(&t.session());
    q.setDatabaseName(t.DatabaseName());
    q.setSQL({on ? QStringLiteral("UPDATE Customers SET Mark = True WHERE Mark = False")
                 : QStringLiteral("UPDATE Customers SET Mark = False WHERE Mark = True")});
    q.ExecSQL();
    t.Refresh();
    t.First();
}

} // namespace

QString CustomerMarks::keyField(const QString& indexName) {
    if (indexName == QLatin1String("Company") || indexName == QLatin1String("Reference"))
        return indexName;
    return QStringLiteral("Cust. no");
}

void CustomerMarks::mark(bool on) {
    db::Field& mark = m_table.FieldByName(QStringLiteral("Mark"));
    if (mark.AsBoolean() == on && m_table.State() == db::DataSetState::Browse)
        return;
    m_table.Edit();
    mark.setAsBoolean(on);
    m_table.Post();
}

void CustomerMarks::click(Qt::KeyboardModifiers modifiers) {
    if (!m_table.Active() || m_table.IsEmpty())
        return;
    if (!m_table.CheckBrowseMode())
        return;
    db::Field& key = m_table.FieldByName(keyField(m_table.IndexName()));
    QString k = key.AsString();
    if (modifiers & Qt::ShiftModifier) {
        if (!m_hasAnchor) {
            mark(true);
            m_anchor = k;
            m_hasAnchor = true;
            return;
        }
        if (m_anchor > k) {
            while (m_anchor > k) {
                mark(true);
                k = key.AsString();
                m_table.Next();
                if (m_table.Eof())
                    break;
            }
        } else if (m_anchor < k) {
            while (m_anchor < k) {
                mark(true);
                k = key.AsString();
                m_table.Prior();
                if (m_table.Bof())
                    break;
            }
        }
        return;
    }
    if (modifiers & Qt::ControlModifier) {
        if (m_table.FieldByName(QStringLiteral("Mark")).AsBoolean()) {
            mark(false);
            m_anchor.clear();
            m_hasAnchor = false;
        } else {
            mark(true);
            m_anchor = k;
            m_hasAnchor = true;
        }
    }
}

void CustomerMarks::markAll() {
    setAllMarks(m_table, true);
}

void CustomerMarks::clearAll() {
    setAllMarks(m_table, false);
}

} // namespace customers
