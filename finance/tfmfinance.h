#pragma once

#include "db/session.h"
#include "finance/financerules.h"
#include "ui/form.h"

#include <QString>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
struct InvoicingWindows;

namespace db {
class Query;
}
namespace ui {
class DBEdit;
class DBGrid;
} // namespace ui

// Finance charging: the invoices paid in full but late, the interest of the selected one, and
// for it either Skip (never charged) or Print (a finance invoice written in the invoice
// editor; the interest is recorded on the invoice once the finance invoice is printed).
class TfmFinance : public ui::Form {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 370;

    // Reads the settings; when one is not a number the window says so and is not usable (it
    // creates neither the list nor the editor). Otherwise lists and creates the editor and its
    // companions, owned by this window.
    explicit TfmFinance(QWidget* owner);
    ~TfmFinance() override;

    bool usable() const { return m_usable; }
    const finance::FinanceSettings& settings() const { return m_settings; }

    db::Session sInv{QStringLiteral("sInv")};
    db::Query* qyInv = nullptr;
    ui::DBGrid* gdInv = nullptr;
    ui::DBEdit* dbedInvoice = nullptr;
    ui::DBEdit* dbedTotal = nullptr;
    ui::DBEdit* dbedDue = nullptr;
    ui::DBEdit* dbedPaid = nullptr;
    ui::DBEdit* dbedDelay = nullptr;
    QLineEdit* edInterest = nullptr;
    QLineEdit* edInvCharge = nullptr;
    QLineEdit* edToInvoice = nullptr;
    QLabel* lbSelected = nullptr;
    QPushButton* btnSkip = nullptr;
    QPushButton* btnPrint = nullptr;

    // The selected invoice: its head's ID (0 when the list is empty), number, delay and interest.
    qint64 SelectedID = 0;
    QString InvNo;
    int Delay = 0;
    Currency Interest;

    // The editor and its companions (nullptr when the window is not usable).
    InvoicingWindows* invoicingWindows() const { return m_windows.get(); }

    // Runs the listing again; the first row is selected.
    void List();
    // Resets the editor and fills it with the finance invoice of the selected invoice, its
    // rows computed; false when no invoice is selected.
    bool FillFinanceInvoice();

public slots:
    void btnSkipClick();
    void btnPrintClick();

protected:
    void FormClose() override;

private:
    void buildWindow();
    void SelectInvoice();

    bool m_usable = false;
    finance::FinanceSettings m_settings;
    std::unique_ptr<InvoicingWindows> m_windows;
};

// "Finance charging" of the main menu: the window shown modally and released, unless its
// settings keep it from opening.
void openFinanceCharging(QWidget* owner);
