#pragma once

#include "taxes/registerform.h"

class QLabel;
class QPushButton;

// "VAT rates": the VAT percentages a document row can be given. When the window closes,
// every rate of 0 (or empty) after the first record is removed; the first record stays
// whatever its rate. Each rate has its category on electronic invoices (S standard, Z zero
// rated, E exempt, AE reverse charge, K intra-community, G export, O outside scope; none
// typed: Z for 0 %, else S) and, for E, AE, K, G and O, the reason printed in the e-invoice.
//
// Open it with ui::execModal<TfmVATReg>(owner).
class TfmVATReg : public taxes::RegisterForm {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 820;

    explicit TfmVATReg(QWidget* owner);

public slots:
    // Asks "Delete the VAT rate <rate>?" and deletes the current rate on Yes.
    void btnRaderaClick();

protected:
    void cleanUp(db::Table& table) override;

private:
    ui::DBGrid* gdMomssatser = nullptr;
    ui::DBEdit* dbedVatRates = nullptr;
    QLabel* lbVatRates = nullptr;
    // The rate's category on electronic invoices and, for exempt categories, the reason.
    ui::DBEdit* dbedCategory = nullptr;
    QLabel* lbCategory = nullptr;
    ui::DBEdit* dbedExemption = nullptr;
    QLabel* lbExemption = nullptr;
    QLabel* lbNote = nullptr;
    QPushButton* btnNy = nullptr;
    QPushButton* btnRadera = nullptr;
};
