#pragma once

#include "db/dataset.h"
#include "db/sqlrewriter.h"

#include <QStringList>

namespace db {

// A typed parameter value of a query.
class Param {
public:
    const QString& Name() const { return m_name; }
    void setAsString(const QString& v) { m_value = v; }
    void setAsInteger(qint64 v) { m_value = v; }
    void setAsFloat(double v) { m_value = v; }
    void setAsCurrency(Currency v) { m_value = QVariant::fromValue(v); }
    // The zero date (30 December 1899) and an invalid date mean "no date": equal to an empty
    // field, and less than every real date.
    void setAsDate(const QDate& v) {
        m_value = v.isValid() ? QVariant(v) : QVariant(QMetaType::fromType<QDate>());
    }
    void setAsDateTime(const QDateTime& v) { setAsDate(v.isValid() ? v.date() : QDate()); }
    void setAsBoolean(bool v) { m_value = v; }
    void setValue(const QVariant& v) { m_value = v; }
    void Clear() { m_value = QVariant(); }
    const QVariant& Value() const { return m_value; }

private:
    friend class Query;
    QString m_name;
    QVariant m_value;
};

// An SQL statement in the program's dialect (see sqlrewriter.h) with :name parameters. Open
// runs a SELECT and holds its result (a read-only dataset); ExecSQL runs the others and gives
// the number of rows changed. Tables with passwords can only be used when the session holds
// them.
class Query : public DataSet {
    Q_OBJECT
public:
    explicit Query(QObject* parent = nullptr);
    ~Query() override;

    // The statement as lines; setting it closes the query.
    QStringList& SQL();
    void setSQL(const QStringList& lines);

    // Throws EngineError(ParamNotFound); letter case of the name ignored.
    Param& ParamByName(const QString& name);
    int ParamCount();

    void Open() override;
    void Close() override;
    int ExecSQL();
    int RowsAffected() const { return m_rowsAffected; }

    void First() override;
    void Next() override;
    void Prior() override;
    void Last() override;
    int RecordCount() override { return static_cast<int>(m_result.size()); }
    bool GotoBookmark(const Bookmark& bookmark) override;

    std::vector<Record> readRows(int offset, int count) override;
    int RecNo() override { return m_hasRecord ? m_pos : -1; }
    Record currentRecord() const override;
    qint64 currentRowid() const override { return m_hasRecord ? m_pos : -1; }
    // Moves to the record at a position of the result (for views).
    void MoveTo(int position);

private:
    void prepare();
    std::shared_ptr<Database> openDatabase();
    void bindAndRun(class Statement& st);
    QVariant slotValue(const sql::ParamSlot& slot, int param) const;
    void go(int pos);

    QStringList m_sql;
    QString m_preparedText;
    QStringList m_preparedLines; // m_sql as it was when m_preparedText was made
    sql::Rewritten m_rewritten;
    std::vector<Param> m_params;
    std::vector<int> m_slotParam; // parameter of each ?N
    std::vector<Record> m_result;
    int m_pos = -1;
    int m_rowsAffected = 0;
};

} // namespace db
