#pragma once

#include "ui/form.h"

#include <memory>

namespace db {
class DataSet;
}

namespace report {
class DbDataSource;
class Report;
} // namespace report

// The printed tax list: a title band with the logotype, "Taxes", the company name and the
// date, a column header, and one line per tax in the table's order. Printed even when there
// are no taxes. Paper and margins come from the service globals when the form is created.
class TfmqrTaxPrint : public ui::Form {
    Q_OBJECT
public:
    explicit TfmqrTaxPrint(QWidget* owner);
    ~TfmqrTaxPrint() override;

    report::Report* qrTaxPrint = nullptr;

    // The taxes to list: the detail fields read "Description" and "Percent" of this dataset.
    void setDataSet(db::DataSet* taxes);
    void setCompanyName(const QString& name);

private:
    std::unique_ptr<report::DbDataSource> m_source;
};
