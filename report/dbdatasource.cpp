#include "report/dbdatasource.h"

#include "db/dataset.h"
#include "db/field.h"

namespace report {

DbDataSource::DbDataSource(db::DataSet* dataSet)
    : m_set(dataSet) {}

void DbDataSource::first() {
    if (m_set && m_set->Active())
        m_set->First();
}

void DbDataSource::next() {
    if (!eof())
        m_set->Next();
}

bool DbDataSource::eof() const {
    return !m_set || !m_set->Active() || m_set->Eof();
}

QVariant DbDataSource::value(const QString& field) const {
    if (eof())
        return {};
    const db::Field* f = m_set->FindField(field);
    return f ? QVariant(f->DisplayText()) : QVariant();
}

QVariant DbDataSource::storedValue(const QString& field) const {
    if (eof())
        return {};
    const db::Field* f = m_set->FindField(field);
    return f ? f->Value() : QVariant();
}

} // namespace report
