#pragma once

#include "ui/form.h"

#include <QList>

#include <functional>
#include <memory>

namespace db {
class Table;
}

namespace ui {
class DBEdit;
class DBGrid;
} // namespace ui

namespace db {
class Session;
}

namespace taxes {

// The table a register works on: its name, and for a table with a password the session the
// register opens it in (its own, holding the password from creation until the window closes)
// and the index it starts on.
struct RegisterTable {
    RegisterTable(const QString& table, const QString& object = QString(),
                  const QString& session = QString(), const QString& tablePassword = QString(),
                  const QString& index = QString())
        : tableName(table)
        , objectName(object)
        , sessionName(session)
        , password(tablePassword)
        , indexName(index) {}
    QString tableName;
    QString objectName;  // of the table component; empty: "db" + tableName
    QString sessionName; // empty: the default session, no password
    QString password;
    QString indexName;
};

// What the tax register and the VAT register share, and what every later register (customers,
// products, payments) is built on: one table of the data directory opened in the default
// session when the window is created, a grid (ui::DBGrid) over it, boxes (ui::DBEdit) bound
// to its fields, "New", "Delete", "Back" and closing.
//
// Every change is posted when the cursor moves (a click in the grid), a new record is started
// or the window is left. A post that is refused (a box holds what its field cannot take, the
// engine refuses the record) is shown once and changes nothing: the table's cursor, the grid's
// current row and the boxes stay on the refused record, nothing of it is stored, no other
// record is touched, and the window stays open, until the entry is put right or Escape throws
// the record's changes away. A new record is a row of the grid from the moment it is started.
// Closing runs the window's clean-up of the table (whatever closes the window) and closes it.
//
// The buttons take no focus from the boxes, so that pressing one posts through the same
// single check as Back does.
class RegisterForm : public ui::Form {
    Q_OBJECT
public:
    RegisterForm(QWidget* owner, const QString& objectName, const QString& caption, int helpContext,
                 const QString& tableName);
    RegisterForm(QWidget* owner, const QString& objectName, const QString& caption, int helpContext,
                 const RegisterTable& table);
    ~RegisterForm() override;

    db::Table* table() const { return m_table; }
    // The session the table is open in (the default one unless the register has its own).
    db::Session& session() const;

public slots:
    // Appends a new record and puts the focus into the first box.
    void btnNyClick();
    // Posts the record and closes the window; stays open when the post fails.
    void mnBackClick();

protected:
    // Writes what the boxes hold and posts the record; false (after the engine's or the
    // field's message) when that fails.
    bool postRecord();
    // Deletes the current record (nothing on an empty table), after the question when asked;
    // the question is made for the record when the user is about to delete it.
    void deleteRecord(const std::function<QString(db::Table&)>& question);
    // Removes what must not stay in the table when the window closes.
    virtual void cleanUp(db::Table& table) = 0;

    void FormActivate() override;
    // Whatever closes the window, an entry that cannot be posted keeps it open.
    bool FormCloseQuery() override;
    void FormClose() override;

    db::Table* m_table = nullptr;
    ui::DBGrid* m_grid = nullptr;
    QList<ui::DBEdit*> m_boxes;

private:
    std::unique_ptr<db::Session> m_session;
    QString m_password;
    bool m_activated = false;
};

} // namespace taxes
