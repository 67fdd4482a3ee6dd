#pragma once

#include "taxes/registerform.h"

class QLabel;
class QPushButton;

// "VAT rates": the VAT percentages a document row can be given. When the window closes,
// every rate of 0 (or empty) after the first record is removed; the first record stays
// whatever its rate.
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
    QLabel* lbNote = nullptr;
    QPushButton* btnNy = nullptr;
    QPushButton* btnRadera = nullptr;
};
