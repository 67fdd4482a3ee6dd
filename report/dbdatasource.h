#pragma once

#include "db/dataset.h"
#include "report/datasource.h"

#include <QPointer>

namespace report {

// The records of a table or query as a report walks them: first() and next() move the
// dataset's own cursor, and value() gives a field's display text (money with
// Service::Decimals decimals, dates as short dates, numbers in their shortest form). The
// dataset is not owned; a closed or destroyed dataset reads as having no records.
class DbDataSource : public DataSource {
public:
    explicit DbDataSource(db::DataSet* dataSet);

    db::DataSet* dataSet() const { return m_set; }

    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString& field) const override;
    // The stored value of the field (null, qint64, double or text), for formatters that
    // need the number itself.
    QVariant storedValue(const QString& field) const;

private:
    QPointer<db::DataSet> m_set;
};

} // namespace report
