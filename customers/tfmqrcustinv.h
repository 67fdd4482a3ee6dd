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

// The printed invoice history of a customer: "Customer - sales" with the logotype, company
// and date, the customer, one line per document of the history's list in its order, and the
// paid and unpaid sums. Printed even when the customer has no documents.
class TfmqrCustInv : public ui::Form {
    Q_OBJECT
public:
    explicit TfmqrCustInv(QWidget* owner);
    ~TfmqrCustInv() override;

    report::Report* qrCustInv = nullptr;

    void setDataSet(db::DataSet* documents);
    void setTexts(const QString& custNo, const QString& company, const QString& paid,
                  const QString& unpaid);

private:
    std::unique_ptr<report::DbDataSource> m_source;
};
