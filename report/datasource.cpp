#include "report/datasource.h"

namespace report {

MemoryDataSource::MemoryDataSource(QStringList fields)
    : m_fields(std::move(fields)) {}

void MemoryDataSource::append(const QVariantList& values) {
    QVariantList row = values.mid(0, m_fields.size());
    while (row.size() < m_fields.size())
        row << QVariant();
    m_rows.push_back(row);
}

void MemoryDataSource::clear() {
    m_rows.clear();
    m_pos = 0;
}

void MemoryDataSource::next() {
    if (m_pos < recordCount())
        ++m_pos;
}

int MemoryDataSource::fieldIndex(const QString& field) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant MemoryDataSource::value(const QString& field) const {
    const int i = fieldIndex(field);
    if (i < 0 || eof())
        return QVariant();
    return m_rows[static_cast<size_t>(m_pos)][i];
}

void MemoryDataSource::setValue(const QString& field, const QVariant& value) {
    const int i = fieldIndex(field);
    if (i >= 0 && !eof())
        m_rows[static_cast<size_t>(m_pos)][i] = value;
}

} // namespace report
