#pragma once

#include "db/session.h"
#include "ui/form.h"

#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QShowEvent;
class TfmqrCustInv;

namespace db {
class Query;
class Table;
} // namespace db
namespace ui {
class DBGrid;
}

// "Customers invoices": every stored document of one customer with its payment state, the
// rows of the selected document, and what the customer has paid and still owes. Documents
// never printed are listed in blue, archived ones in grey. "Print" prints the list and closes
// the window.
//
// Open it with ui::execModal<TfmCustInvoices>(owner, customerNumber, companyName).
class TfmCustInvoices : public ui::Form {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 190;

    TfmCustInvoices(QWidget* owner, const QString& custNo, const QString& company);
    ~TfmCustInvoices() override;

    db::Session sInvoices{QStringLiteral("sInvoices")};
    db::Session sRows{QStringLiteral("sRows")};
    db::Query* qInvoices = nullptr;
    db::Table* dbRows = nullptr;
    ui::DBGrid* gdInvoices = nullptr;
    ui::DBGrid* gdRows = nullptr;
    QPlainTextEdit* mExplain = nullptr;
    QLineEdit* edPaid = nullptr;
    QLineEdit* edUnpaid = nullptr;
    std::unique_ptr<TfmqrCustInv> fmqrCustInv;

    QString custNo() const { return m_custNo; }

public slots:
    // Reads the sums and the list again.
    void loadHistory();
    void mnPrintClick();

protected:
    void showEvent(QShowEvent* event) override;
    void FormClose() override;

private:
    QString m_custNo;
    QString m_company;
};
