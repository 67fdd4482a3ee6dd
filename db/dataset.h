#pragma once

#include "db/field.h"
#include "db/session.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace db {

class Database;
class EngineError;

enum class DataSetState { Inactive, Browse, Edit, Insert };

// What an OnPostError handler decides.
enum class PostErrorAction { Fail, Abort, Retry };

// One record as read: its row id and the stored values of every field.
struct Record {
    qint64 rowid = 0;
    std::vector<QVariant> values;
};

// A bookmark names a record (its row id) for GotoBookmark.
struct Bookmark {
    qint64 rowid = 0;
    bool valid = false;
};

// What tables and query results have in common: a current record with fields by name, moves,
// Bof/Eof, the after-scroll event and the signals a view listens to.
class DataSet : public QObject {
    Q_OBJECT
public:
    explicit DataSet(QObject* parent = nullptr);
    ~DataSet() override;

    void setSession(Session* session) { m_session = session; }
    Session& session() const { return m_session ? *m_session : Session::defaultSession(); }
    // The data directory.
    QString DatabaseName() const { return m_databaseName; }
    void setDatabaseName(const QString& dir);

    virtual void Open() = 0;
    virtual void Close() = 0;
    bool Active() const { return m_state != DataSetState::Inactive; }
    void setActive(bool active) { active ? Open() : Close(); }
    DataSetState State() const { return m_state; }

    virtual void First() = 0;
    virtual void Next() = 0;
    virtual void Prior() = 0;
    virtual void Last() = 0;
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    virtual int RecordCount() = 0;
    bool IsEmpty() const { return !m_hasRecord && m_state != DataSetState::Insert; }

    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    Field& Fields(int index) { return *m_fields.at(index); }
    Field* FindField(const QString& name);
    // Letter case of the name ignored; throws EngineError(FieldNotFound).
    Field& FieldByName(const QString& name);

    virtual Bookmark GetBookmark() const;
    virtual bool GotoBookmark(const Bookmark& bookmark) = 0;
    void FreeBookmark(Bookmark&) {}

    // Called after every move of the cursor (also by the signal afterScroll()).
    std::function<void(DataSet&)> AfterScroll;

    // For views: records in the current order and filter, without moving the cursor.
    virtual std::vector<Record> readRows(int offset, int count) = 0;
    // Keyset reads continue from a record instead of counting from the start (tables only).
    virtual bool readsByKey() const { return false; }
    virtual std::vector<Record> readRowsAfter(const Record& record, int count);
    virtual std::vector<Record> readRowsBefore(const Record& record, int count);
    // Position of the current record in the current order (0-based), -1 when none.
    virtual int RecNo() = 0;
    // The current record as read (without unposted edits).
    virtual Record currentRecord() const = 0;
    // Row id of the current record, -1 when there is none.
    virtual qint64 currentRowid() const = 0;

    // Field access (used by Field).
    QVariant fieldValue(int index) const;
    virtual void setFieldValue(int index, const QVariant& stored);

    // Controls that keep text of their own while the user types (an edit box holding a value
    // its field cannot take yet) write it into the record before the record is posted. An
    // editor that refuses what it holds (after saying why) stops the post, and with it the
    // move, the new record or the close that asked for it. An editor goes with its owner.
    void addRecordEditor(QObject* owner, std::function<bool()> update);
    void removeRecordEditor(QObject* owner);
    // Asks every editor to write what it holds; false when one refused.
    bool UpdateRecord();
    // Position in the current order at which a new record that is being inserted is shown
    // (for views), -1 when no record is being inserted.
    virtual int insertRow() { return -1; }

    // Called by the connection after a transaction was rolled back.
    virtual void afterRollback() {}
    std::shared_ptr<Database> database() const { return m_db; }

signals:
    void afterScroll();
    // Rows appeared, went or changed, or the order or filter changed: views read again.
    void dataChanged();
    // Browse, edit, insert, inactive.
    void stateChanged();
    // A field of the current record was set while editing.
    void fieldChanged(int index);

protected:
    void buildFields(const std::vector<FieldInfo>& infos);
    void setState(DataSetState state);
    void scrolled();
    void requireActive() const;

    Session* m_session = nullptr;
    QString m_databaseName;
    std::shared_ptr<Database> m_db;
    DataSetState m_state = DataSetState::Inactive;
    bool m_bof = true;
    bool m_eof = true;
    bool m_hasRecord = false;
    // The values fields read: the current record as read while browsing, m_current while
    // editing or inserting, nothing when there is no record.
    const std::vector<QVariant>* m_view = nullptr;
    std::vector<QVariant> m_current;
    std::vector<std::unique_ptr<Field>> m_fields;

private:
    std::vector<std::pair<QPointer<QObject>, std::function<bool()>>> m_editors;
    bool m_updating = false;
};

} // namespace db
