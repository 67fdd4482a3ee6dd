#pragma once

#include "db/dataset.h"

#include <QHash>

#include <deque>

namespace db {

// Locate options.
enum LocateOption { LocateExact = 0, LocateCaseInsensitive = 1, LocatePartialKey = 2 };

// A cursor over one table in the order of a named index (or the primary order), reading the
// table in small windows by key: opening, moving, Locate and FindKey touch only the records
// they need, however large the table. Changes are written when Post returns; in autocommit
// mode each Post is its own durable transaction.
class Table : public DataSet {
    Q_OBJECT
public:
    explicit Table(QObject* parent = nullptr);
    ~Table() override;

    QString TableName() const { return m_tableName; }
    void setTableName(const QString& name);
    // "" or the table's primary index name selects the primary order. May change while open:
    // the current record stays current.
    QString IndexName() const { return m_indexName; }
    void setIndexName(const QString& name);
    // Nobody else in this program may open the table while it is open exclusively.
    bool Exclusive() const { return m_exclusive; }
    void setExclusive(bool exclusive) { m_exclusive = exclusive; }

    // A filter expression over the table's fields ("Hidden <> True"), applied when Filtered.
    QString Filter() const { return m_filter; }
    void setFilter(const QString& filter);
    bool Filtered() const { return m_filtered; }
    void setFiltered(bool filtered);

    // Master-detail: this table shows only the records whose detailField equals the master's
    // masterField, and a record appended here gets the master's value.
    void setMasterSource(DataSet* master, const QString& masterField,
                         const QString& detailField = QString());
    DataSet* MasterSource() const { return m_master; }

    void Open() override;
    void Close() override;
    void First() override;
    void Next() override;
    void Prior() override;
    void Last() override;
    int RecordCount() override;

    void Append();
    void Insert();
    void Edit();
    // Writes the record. Returns false when a control refused what it holds (UpdateRecord),
    // or BeforePost or OnPostError aborted it (the record stays in edit or insert mode);
    // throws EngineError when it failed.
    bool Post();
    void Cancel();
    void Delete();
    void Refresh();
    // Posts when there are changes, cancels an untouched new record. False when a control
    // refused what it holds or a post was aborted (the record is still being edited, and a
    // move that asked for this does not happen).
    bool CheckBrowseMode();
    bool Modified() const { return m_modified; }

    bool Locate(const QString& field, const QVariant& value, int options = LocateExact);
    // Exact match of the current index's fields (ignoring case on a case-insensitive index).
    bool FindKey(const QVariantList& values);
    // Deletes every record of the table.
    void EmptyTable();

    bool GotoBookmark(const Bookmark& bookmark) override;
    // Append shows the new record after the last one, Insert before the current one.
    int insertRow() override;

    std::function<void(Table&)> BeforePost;
    std::function<PostErrorAction(Table&, const EngineError&)> OnPostError;

    std::vector<Record> readRows(int offset, int count) override;
    bool readsByKey() const override { return true; }
    std::vector<Record> readRowsAfter(const Record& record, int count) override;
    std::vector<Record> readRowsBefore(const Record& record, int count) override;
    int RecNo() override;
    Record currentRecord() const override;
    qint64 currentRowid() const override {
        return m_hasRecord && m_pos >= 0 ? m_rows[m_pos].rowid : -1;
    }

    void setFieldValue(int index, const QVariant& stored) override;
    void afterRollback() override;
    const TableInfo* tableInfo() const { return m_info; }

private:
    struct OrderColumn {
        int field;
        QString expr;        // the quoted column the index orders by
        bool folded = false; // the field's folded shadow column
    };
    struct Segment {
        QString where;
        QString order;
        std::vector<QVariant> binds;
    };

    void buildOrder();
    void step(bool forward);
    QString baseWhere(std::vector<QVariant>* binds) const;
    QString selectList() const;
    QString selectSql(const QString& where, const QString& order, bool withOffset = false) const;
    std::vector<Record> run(const QString& sql, const std::vector<QVariant>& binds, int limit,
                            int offset = 0);
    std::vector<Record> query(const QString& where, const std::vector<QVariant>& binds,
                              const QString& order, int limit, int offset = 0);
    std::vector<Segment> segmentsAfter(const Record& r, bool after) const;
    QVariant orderValue(const Record& r, int column) const; // as the order column holds it
    std::vector<Record> fetchFrom(const Record& r, bool after, int count);
    std::optional<Record> readByRowid(qint64 rowid, bool applyBase);
    void positionAt(Record r);
    void positionEmpty();
    void reposition(const Record& old);
    void ensureFresh();
    void loadCurrent();
    void prepareSession();
    void masterChanged();
    void checkEditable();
    void beginInsert(bool append);
    bool writeRecord();
    void openCheckExclusive();

    QString m_tableName;
    QString m_selectList;
    QString m_insertSql, m_insertWithKeySql;
    QString m_orderAsc, m_orderDesc;
    QHash<int, std::pair<QString, QString>> m_locateSql; // per field and kind: base, statement
    QString m_indexName;
    QString m_filter;
    QString m_filterSql;
    bool m_filtered = false;
    bool m_exclusive = false;
    bool m_modified = false;
    bool m_appending = false;
    const TableInfo* m_info = nullptr;
    std::vector<OrderColumn> m_order;
    DataSet* m_master = nullptr;
    QString m_masterField;
    QString m_detailField;
    QMetaObject::Connection m_masterScroll, m_masterChange;

    std::deque<Record> m_rows; // a window of records around the current one
    int m_pos = -1;
    int m_recNo = -1; // position of the current record when known, -1 when not
    quint64 m_version = 0;
    bool m_savedBof = false, m_savedEof = false; // flags before Append/Insert, for Cancel
    std::vector<bool> m_changedFields;
};

} // namespace db
