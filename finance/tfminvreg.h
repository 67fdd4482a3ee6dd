#pragma once

#include "db/session.h"
#include "finance/payments.h"
#include "ui/form.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace db {
class Query;
}
namespace ui {
class DBGrid;
class NumberEdit;
} // namespace ui

// The invoice register: the printed invoices and credit invoices with what they owe, filtered
// (open, overdue, paid, all) and sorted by a click on a column title, the payments of the
// selected one, and the entry that records a payment or reverses one.
class TfmInvReg : public ui::Form {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 375;

    explicit TfmInvReg(QWidget* owner);
    ~TfmInvReg() override;

    db::Session sInvReg{QStringLiteral("sInvReg")};
    db::Query* qyInvoices = nullptr;
    db::Query* qyPayments = nullptr;
    QComboBox* cbFilter = nullptr;
    ui::DBGrid* gdInvoices = nullptr;
    ui::DBGrid* gdPayments = nullptr;
    QLabel* lbSelected = nullptr;
    QDateEdit* edPayDate = nullptr;
    ui::NumberEdit* edPayAmount = nullptr;
    QLineEdit* edPayNote = nullptr;
    QPushButton* btnRecord = nullptr;
    QPushButton* btnReverse = nullptr;

    finance::RegisterFilter filter() const;
    const QString& sortField() const { return m_sortField; }
    bool sortDescending() const { return m_descending; }
    // The head of the selected invoice, 0 when the list is empty.
    qint64 selectedHead() const { return m_head; }
    // Moves the list to the head with this ID; false when the list does not show it.
    bool selectHead(qint64 headId);

    // Reads the list again, staying on the selected invoice when it is still listed.
    void List();

public slots:
    void cbFilterChange();
    void gdInvoicesTitleClick(const QString& field);
    void btnRecordClick();
    void btnReverseClick();
    // Shows the window modally (the add-on's command calls it by name).
    int execute();

protected:
    void FormClose() override;

private:
    void buildWindow();
    void SelectInvoice();

    QString m_sortField = QStringLiteral("Invoice date");
    bool m_descending = false;
    qint64 m_head = 0;
    finance::PaymentBook m_book;
};
