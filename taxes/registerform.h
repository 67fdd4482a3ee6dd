#pragma once

#include "ui/form.h"

#include <QList>

class QCloseEvent;

namespace db {
class Table;
}

namespace ui {
class DBEdit;
class DBGrid;
} // namespace ui

namespace taxes {

// What the tax register and the VAT register share: one table of the data directory opened
// in the default session when the window is created, a grid over it, boxes bound to its
// fields, "New", "Back" and closing. Every change is posted when the cursor moves or the
// window is left; a post the engine refuses is shown and keeps the window open. Closing
// runs the window's clean-up of the table (whatever closes the window) and closes it.
class RegisterForm : public ui::Form {
    Q_OBJECT
public:
    RegisterForm(QWidget* owner, const QString& objectName, const QString& caption, int helpContext,
                 const QString& tableName);
    ~RegisterForm() override;

    db::Table* table() const { return m_table; }

public slots:
    // Appends a new record and puts the focus into the first box.
    void btnNyClick();
    // Posts the record and closes the window; stays open when the post fails.
    void mnBackClick();

protected:
    // Writes what the boxes hold and posts the record; false (after the engine's or the
    // field's message) when that fails.
    bool postRecord();
    // Deletes the current record (nothing on an empty table), after the question when asked.
    void deleteRecord(const QString& question);
    // Removes what must not stay in the table when the window closes.
    virtual void cleanUp(db::Table& table) = 0;

    void FormActivate() override;
    void FormClose() override;
    void closeEvent(QCloseEvent* event) override;

    db::Table* m_table = nullptr;
    ui::DBGrid* m_grid = nullptr;
    QList<ui::DBEdit*> m_boxes;

private:
    bool m_activated = false;
};

} // namespace taxes
