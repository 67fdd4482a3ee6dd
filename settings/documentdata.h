#pragma once

#include "settings/programsetup.h"
#include "ui/form.h"

#include <QString>

#include <array>
#include <optional>

namespace ui {
class NumberEdit;
}

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class RadioGroup;

// "Program setup": edits the user settings of MRVInv.ini. The settings are read when the
// window opens and written back whatever closes it. The number boxes are ui::NumberEdit boxes
// with the rules of ProgramSetup::numberRule: a text that is not such a number is refused with
// a message naming the box when the box is left or the window is closed; the box keeps it and
// the focus, the window stays open and nothing is stored until it is put right (Escape brings
// back the stored value). A next invoice number that is not above every number already used
// asks before it is accepted. The switches Pdf, Disc, VAT and VATinPrice change the service
// globals at once.
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
    // Checks the copies box as leaving it does.
    void edCopiesExit();
    void btnInvoiceDesignClick();
    void Button1Click();
    // Shows FDesignName and the selected free text after a dialog that may change them.
    void showDesignAndFreeText();

protected:
    // Every changed number box passes its check before anything is stored.
    bool FormCloseQuery() override;
    void FormClose() override;

private:
    void buildControls();
    void FormCreate();
    ui::NumberEdit* numberBox(ProgramSetup::NumberBox box) const;
    bool confirmNextInvoiceNumber(qint64 next);

    QGroupBox* pnlInvoice = nullptr;
    RadioGroup* rgInvNo = nullptr;
    QLabel* lbNextInvNo = nullptr;
    ui::NumberEdit* edNextInvNo = nullptr;
    QCheckBox* cbDisc = nullptr;
    QCheckBox* cbVAT = nullptr;
    QCheckBox* cbPrices = nullptr;
    QCheckBox* cbRound = nullptr;
    QCheckBox* cbPdf = nullptr;
    QLabel* lbTerms = nullptr;
    ui::NumberEdit* edTerms = nullptr;
    QLabel* lbBetdagar = nullptr;
    QLabel* Label21 = nullptr;
    ui::NumberEdit* edCopies = nullptr;

    QGroupBox* pnlCustomer = nullptr;
    QCheckBox* cbAutoCustNo = nullptr;
    QLabel* lbNextCustNo = nullptr;
    ui::NumberEdit* edNextCustNo = nullptr;

    QGroupBox* pnlReminder = nullptr;
    std::array<ui::NumberEdit*, 3> edRemindDays{};
    std::array<QPlainTextEdit*, 3> mRemindText{};

    QGroupBox* pnlInterest = nullptr;
    ui::NumberEdit* edInterestrate = nullptr;
    ui::NumberEdit* edInvCharge = nullptr;
    ui::NumberEdit* edThreshold = nullptr;

    QGroupBox* pnlDesign = nullptr;
    QLineEdit* edInvoiceDesign = nullptr;
    QPushButton* btnInvoiceDesign = nullptr;
    QLineEdit* edFreeText = nullptr;
    QPushButton* Button1 = nullptr;

    std::optional<qint64> m_highestInvoiceNumber;
    bool m_highestInvoiceNumberRead = false;
};

// The open program setup window, or null; the design selection (TfmDesign) and the free text
// editor (TfmFriText) hand their choice back through it.
extern TfmDocumentdata* fmDocumentdata;
