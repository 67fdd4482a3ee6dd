#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace report {

// The records a report walks through: the detail band prints once per record. The table layer
// and the tests each give the engine their own kind of source.
class DataSource {
public:
    virtual ~DataSource() = default;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // The current record's value of a field (matched without regard to case); an invalid
    // QVariant for an unknown field or past the end.
    virtual QVariant value(const QString& field) const = 0;
};

// Records held in memory, for tests and small fixed lists.
class MemoryDataSource : public DataSource {
public:
    explicit MemoryDataSource(QStringList fields = {});

    const QStringList& fields() const { return m_fields; }
    // Appends a record; missing trailing values are empty, extra ones are dropped.
    void append(const QVariantList& values);
    int recordCount() const { return static_cast<int>(m_rows.size()); }
    int recNo() const { return m_pos; }
    void clear();

    void first() override { m_pos = 0; }
    void next() override;
    bool eof() const override { return m_pos >= recordCount(); }
    QVariant value(const QString& field) const override;
    void setValue(const QString& field, const QVariant& value);

private:
    int fieldIndex(const QString& field) const;

    QStringList m_fields;
    std::vector<QVariantList> m_rows;
    int m_pos = 0;
};

} // namespace report
