#pragma once

#include "db/dataset.h"
#include "taxes/registerform.h"

#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QAction;

namespace ui {
class DBCheckBox;
class DBComboBox;
} // namespace ui

// "Customers": the customer register. Customers are added (with automatic numbers when the
// program setup asks for them), edited, sorted by number, company or reference, deleted, listed
// and printed (TfmCustOut), their stored documents shown (TfmCustInvoices), and the sales of
// the period closed for all of them. Customers left without company and reference are removed
// when the window closes, and a number handed out for nothing is given back.
//
// Open it with ui::execModal<TfmCustreg>(owner).
class TfmCustreg : public taxes::RegisterForm {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 240;

    explicit TfmCustreg(QWidget* owner);
    ~TfmCustreg() override;

    // The automatic-number switch and counter read from the settings file.
    bool autoCust() const { return m_autoCust; }
    int lastCustNo() const { return m_lastCustNo; }

    ui::DBGrid* gdCustreg = nullptr;
    QLineEdit* edSearch = nullptr;
    QLabel* lbSortOrder = nullptr;
    QFrame* pnlEdit = nullptr;
    ui::DBEdit* dbedCustNo = nullptr;
    ui::DBEdit* dbedCompany = nullptr;
    ui::DBEdit* dbedRef = nullptr;
    ui::DBEdit* dbedAddressLine1 = nullptr;
    ui::DBEdit* dbedAddressLine2 = nullptr;
    ui::DBEdit* dbedState = nullptr;
    ui::DBEdit* dbedZip = nullptr;
    ui::DBEdit* dbedCity = nullptr;
    ui::DBEdit* dbedEmail = nullptr;
    ui::DBEdit* dbedVATNo = nullptr;
    ui::DBEdit* dbedPhone = nullptr;
    ui::DBEdit* dbedFax = nullptr;
    ui::DBEdit* dbedMobile = nullptr;
    ui::DBEdit* dbedCreditLimit = nullptr;
    ui::DBEdit* dbedNote = nullptr;
    ui::DBEdit* dbedRegistered = nullptr;
    ui::DBEdit* dbedLastInv = nullptr;
    ui::DBEdit* dbedPeriodSales = nullptr;
    ui::DBEdit* dbedTotalSales = nullptr;
    ui::DBEdit* dbedCountryCode = nullptr;
    ui::DBEdit* dbedBuyerReference = nullptr;
    ui::DBComboBox* cbEInvoiceFormat = nullptr;
    ui::DBCheckBox* cbEmail = nullptr;
    QLabel* lbAddressLine2 = nullptr;
    QLabel* lbState = nullptr;
    QLabel* lbZip = nullptr;
    QLabel* lbVATNo = nullptr;
    QPushButton* btnNew = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnShow = nullptr;
    QAction* mnPrint = nullptr;
    QAction* Resetstatistics1 = nullptr;

    // Shows the window modally (the add-on's menu command); the caller releases it.
    Q_INVOKABLE int execute();

public slots:
    void btnNewClick();
    void btnDeleteClick();
    void btnShowClick();
    void mnPrintClick();
    void Resetstatistics1Click();
    void gdCustregTitleClick(const QString& field);
    // Makes the first customer whose field of the current sort begins with the text (letter
    // case ignored) the current one; nothing changes when none does.
    void edSearchChange(const QString& text);
    void cbEmailExit();

protected:
    void FormActivate() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    void cleanUp(db::Table& table) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ui::DBEdit* addBox(const char* name, const QString& field);
    void applyCountry();
    db::PostErrorAction dbCustRegPostError(db::Table& table, const db::EngineError& error);
    void saveCounter();

    bool m_autoCust = false;
    int m_lastCustNo = 0;
};
