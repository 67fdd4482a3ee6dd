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

// The four printed customer lists. Each has a title band on the first page with the
// logotype, its title, the company name (label "lbForetagsNamn") and the date, and a page
// footer with the page number; each prints even when no customer is selected.
class TfmqrCustOutBase : public ui::Form {
    Q_OBJECT
public:
    ~TfmqrCustOutBase() override;

    report::Report* report() const { return m_report; }
    // The customers to list, in their order.
    void setDataSet(db::DataSet* customers);
    void setCompanyName(const QString& name);

protected:
    TfmqrCustOutBase(QWidget* owner, const QString& formName, const QString& reportName,
                     const QString& title, bool landscape, bool titleRuled);

    report::Report* m_report = nullptr;

private:
    std::unique_ptr<report::DbDataSource> m_source;
};

// Number, company, reference, phone, mobile, fax and e-mail on one line per customer.
class TfmqrCustOutPhone : public TfmqrCustOutBase {
    Q_OBJECT
public:
    explicit TfmqrCustOutPhone(QWidget* owner);
    report::Report* qrCustOutPhone = nullptr;
};

// A block of the address and contact fields per customer, as the country shows them.
class TfmqrCustOutAddress : public TfmqrCustOutBase {
    Q_OBJECT
public:
    explicit TfmqrCustOutAddress(QWidget* owner);
    report::Report* qrCustOutAddress = nullptr;
};

// A block of number, names, sales and dates per customer.
class TfmqrCustOutSales : public TfmqrCustOutBase {
    Q_OBJECT
public:
    explicit TfmqrCustOutSales(QWidget* owner);
    report::Report* qrCustOutSales = nullptr;
};

// The address block followed by sales, dates, the note and whether invoices go by e-mail.
class TfmqrCustOutAll : public TfmqrCustOutBase {
    Q_OBJECT
public:
    explicit TfmqrCustOutAll(QWidget* owner);
    report::Report* qrCustOutAll = nullptr;
};
