#pragma once

#include "ui/form.h"

#include <QString>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class RadioGroup;

// "Program setup": edits the user settings of MRVInv.ini. The settings are read when the
// window opens and written back, with every invalid number replaced, whatever closes it.
// The switches Pdf, Disc, VAT and VATinPrice change the service globals at once.
//
// Open it with ui::execModal<TfmDocumentdata>(owner).
class TfmDocumentdata : public ui::Form {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 330;

    explicit TfmDocumentdata(QWidget* owner);
    ~TfmDocumentdata() override;

    // The design chosen in this session; the design selection writes them while this window is
    // open (through fmDocumentdata) and they are stored when it closes.
    QString FDesignName;
    QString FDesignFile;

public slots:
    void cbPdfClick();
    void cbDiscClick();
    void cbVATClick();
    void cbPricesClick();
    void rgInvNoClick();
    void cbAutoCustNoClick();
    void edCopiesExit();
    void btnInvoiceDesignClick();
    void Button1Click();
    // Shows FDesignName and the selected free text after a dialog that may change them.
    void showDesignAndFreeText();

protected:
    void FormClose() override;

private:
    void buildControls();
    void FormCreate();

    QGroupBox* pnlInvoice = nullptr;
    RadioGroup* rgInvNo = nullptr;
    QLabel* lbNextInvNo = nullptr;
    QLineEdit* edNextInvNo = nullptr;
    QCheckBox* cbDisc = nullptr;
    QCheckBox* cbVAT = nullptr;
    QCheckBox* cbPrices = nullptr;
    QCheckBox* cbRound = nullptr;
    QCheckBox* cbPdf = nullptr;
    QLabel* lbTerms = nullptr;
    QLineEdit* edTerms = nullptr;
    QLabel* lbBetdagar = nullptr;
    QLabel* Label21 = nullptr;
    QLineEdit* edCopies = nullptr;

    QGroupBox* pnlCustomer = nullptr;
    QCheckBox* cbAutoCustNo = nullptr;
    QLabel* lbNextCustNo = nullptr;
    QLineEdit* edNextCustNo = nullptr;

    QGroupBox* pnlReminder = nullptr;
    std::array<QLineEdit*, 3> edRemindDays{};
    std::array<QPlainTextEdit*, 3> mRemindText{};

    QGroupBox* pnlInterest = nullptr;
    QLineEdit* edInterestrate = nullptr;
    QLineEdit* edInvCharge = nullptr;
    QLineEdit* edThreshold = nullptr;

    QGroupBox* pnlDesign = nullptr;
    QLineEdit* edInvoiceDesign = nullptr;
    QPushButton* btnInvoiceDesign = nullptr;
    QLineEdit* edFreeText = nullptr;
    QPushButton* Button1 = nullptr;
};

// The open program setup window, or null; the design selection and the free text editor
// hand their choice back through it.
extern TfmDocumentdata* fmDocumentdata;
