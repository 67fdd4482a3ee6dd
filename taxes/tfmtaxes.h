#pragma once

#include "taxes/registerform.h"

class QLabel;
class QPushButton;

// "Taxes": the named percentage charges that can be added to a document as a row of their
// own. A tax left without a description is removed when the window closes.
//
// Open it with ui::execModal<TfmTaxes>(owner).
class TfmTaxes : public taxes::RegisterForm {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 790;

    explicit TfmTaxes(QWidget* owner);

public slots:
    // Asks "Delete the tax <description>?" and deletes the current tax on Yes.
    void btnRaderaClick();
    // Shows the tax list in the print preview while the register steps aside.
    void mnPrintClick();

protected:
    void cleanUp(db::Table& table) override;

private:
    ui::DBGrid* gdTaxes = nullptr;
    ui::DBEdit* dbedDescription = nullptr;
    ui::DBEdit* dbedPercent = nullptr;
    QLabel* lbDescription = nullptr;
    QLabel* lbPercent = nullptr;
    QLabel* lbInstruction1 = nullptr;
    QLabel* lbInstruction2 = nullptr;
    QPushButton* btnNy = nullptr;
    QPushButton* btnRadera = nullptr;
};
