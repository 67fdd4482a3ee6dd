#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>

namespace db {
class DataSet;
class Field;
class Table;
} // namespace db

namespace ui {

// The tie between one data-bound control and one field of a dataset: it tells the control
// when to show the field again (the record moved, was edited elsewhere, posted or cancelled)
// and writes the control's changes through the field, putting the dataset into edit mode on
// the first change. Engine errors are shown through ui::ShowError; the control never sees
// an exception.
class FieldLink : public QObject {
    Q_OBJECT
public:
    // refresh is called whenever the control should show the field's value again.
    FieldLink(QObject* owner, db::DataSet* dataSet, const QString& fieldName,
              std::function<void()> refresh);

    db::DataSet* dataSet() const { return m_set; }
    const QString& fieldName() const { return m_fieldName; }
    // The field of the current record, or nullptr while the dataset is closed or lacks it.
    db::Field* field() const;
    // Only tables can be edited; query results and closed datasets are read only.
    bool canEdit() const;
    // Whether the dataset is editing or inserting a record.
    bool editing() const;

    // Puts the dataset into edit mode (on an empty table that starts a new record) and
    // applies the change to the field. False, after showing the engine's message, when the
    // dataset cannot be edited or the value is refused.
    bool write(const std::function<void(db::Field&)>& change);
    // Throws away the unposted changes of the current record.
    void cancel();
    // Lets the control write what it holds before the record is posted; a control that
    // refuses (false, after its message) stops the post and the move that asked for it.
    void setRecordEditor(std::function<bool()> update);

private:
    void onFieldChanged(int index);
    void changed();

    QPointer<db::DataSet> m_set;
    QString m_fieldName;
    std::function<void()> m_refresh;
    bool m_writing = false;
};

} // namespace ui
