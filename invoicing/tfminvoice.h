#pragma once

#include "db/session.h"
#include "invoicing/customerfill.h"
#include "invoicing/documentstore.h"
#include "invoicing/numbering.h"
#include "invoicing/rowcalc.h"
#include "ui/form.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QWidget;
class QFrame;
class TfmqrInvoice;

namespace db {
class Table;
}
namespace ui {
class DBGrid;
class DBMemo;
} // namespace ui

namespace invoicing {
class InvoiceRowsGrid;
}

// Who opened the editor: the main window's "Write invoice", or finance charging, which drives
// the editor to write a finance invoice (the editor then closes after printing and on Abort).
enum class EditorOwner { MainWindow, Finance };

// The invoice editor: one document at a time, its kind, number, dates, customer and
// references, its rows and totals. The companions (tax pick list, customer look-up, document
// finder, product look-up) reach it through fmInvoice.
class TfmInvoice : public ui::Form {
    Q_OBJECT
public:
    explicit TfmInvoice(QWidget* owner, EditorOwner ownerKind = EditorOwner::MainWindow);
    ~TfmInvoice() override;

    EditorOwner ownerKind() const { return m_ownerKind; }
    bool ownerIsFinance() const { return m_ownerKind == EditorOwner::Finance; }

    // ---- Head ----------------------------------------------------------------------------
    QComboBox* cbDocument = nullptr;
    QLineEdit* edInvNo = nullptr;
    QLineEdit* edCustNo = nullptr;
    QLineEdit* edCust = nullptr;
    QLineEdit* edCustAddressLine1 = nullptr;
    QLineEdit* edCustAddressLine2 = nullptr;
    QLineEdit* edCustAddressLine3 = nullptr;
    QLineEdit* edVATNumber = nullptr;
    QDateEdit* edInvDate = nullptr;
    QDateEdit* edDueDate = nullptr;
    QLineEdit* edYourReference = nullptr;
    QLineEdit* edOurReference = nullptr;
    QLabel* lbInvDate = nullptr;
    QLabel* lbDueDate = nullptr;
    QLabel* lbTerms = nullptr;
    QLabel* lbDays = nullptr;
    QLabel* lbDaysNet = nullptr;
    QLabel* lbVATNumber = nullptr;
    QLabel* Logo = nullptr;
    QLabel* lbCompany = nullptr; // the company footer

    // ---- Rows and totals -----------------------------------------------------------------
    invoicing::InvoiceRowsGrid* gdInvoiceRows = nullptr;
    QLineEdit* edSum = nullptr;
    QLineEdit* edVAT = nullptr;
    QLineEdit* edTotal = nullptr;
    QLabel* lbSum = nullptr;
    QLabel* lbVAT = nullptr;
    QLabel* lbTotal = nullptr;
    QTextEdit* mTotal = nullptr; // the current free text

    QPushButton* btnNewInvoice = nullptr;
    QPushButton* btnOpen = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnPdf = nullptr;
    QPushButton* btnEInvoice = nullptr; // "e-invoice": Factur-X or XRechnung
    QPushButton* btnAbort = nullptr;

    // Stored numbers, shown while "number in use" is up; customer numbers likewise.
    ui::DBGrid* gdInvoicenumbers = nullptr;
    ui::DBGrid* gdCustNo = nullptr;

    // Long description of a row.
    QFrame* pnlDesc = nullptr;
    ui::DBMemo* mDesc = nullptr;
    QPushButton* btnClose = nullptr;

    // New customer.
    QFrame* pnlCustreg = nullptr;
    QLineEdit* edNewCustNo = nullptr;
    QLineEdit* edNewCompany = nullptr;
    QLineEdit* edNewReference = nullptr;
    QLineEdit* edNewAddress1 = nullptr;
    QLineEdit* edNewAddress2 = nullptr;
    QLineEdit* edNewState = nullptr;
    QLineEdit* edNewZip = nullptr;
    QLineEdit* edNewCity = nullptr;
    QLineEdit* edNewEmail = nullptr;
    QLineEdit* edNewVATNo = nullptr;
    QLineEdit* edNewPhone = nullptr;
    QLineEdit* edNewFax = nullptr;
    QLineEdit* edNewMobile = nullptr;
    QLineEdit* edNewCreditLimit = nullptr;
    QLineEdit* edNewNote = nullptr;
    // Electronic invoices: ISO country code, buyer reference (Leitweg-ID) and the format.
    QLineEdit* edNewCountryCode = nullptr;
    QLineEdit* edNewBuyerReference = nullptr;
    QComboBox* cbNewEInvoiceFormat = nullptr;
    QLabel* lbNewAddress2 = nullptr;
    QLabel* lbNewState = nullptr;
    QLabel* lbNewZip = nullptr;
    QLabel* lbNewVATNo = nullptr;
    QPushButton* btnSave1 = nullptr;
    QPushButton* btnAbort1 = nullptr;

    // ---- Tables --------------------------------------------------------------------------
    db::Session sIHead{QStringLiteral("sIHead")};
    db::Session sIRow{QStringLiteral("sIRow")};
    db::Session sCustomer{QStringLiteral("sCustomer")};
    db::Session sProducts{QStringLiteral("sProducts")};
    db::Table* dbTRow = nullptr;
    db::Table* dbIHead = nullptr;
    db::Table* dbIRow = nullptr;
    db::Table* dbFreeText = nullptr;
    db::Table* dbCustomers = nullptr;
    db::Table* dbProducts = nullptr;

    // ---- State ---------------------------------------------------------------------------
    bool DocSaved = true;
    bool DocPrinted = true;
    bool DocOpened = false;
    int DocID = 0;
    bool DocIsTemplate = false;
    bool DocWasPrinted = false;
    bool DocLocked = false;
    bool RowsCollected = false;
    bool CustomerPicked = false;
    int TermsDays = 0;
    int DaySeq = 0, TotalSeq = 0;
    int LastDaySeqNo = 0, LastTotalSeqNo = 0;
    int Autonum = 0;
    int Copies = 1;
    bool Rounding = false;
    bool AutoCust = false;
    QDate LastDate;
    Currency SumExclVAT, SumVAT, DocTotal;
    double LastVATPercent = 0;
    double LastDiscount = 0;
    // The VAT rates offered in the VAT column, as read at creation.
    QStringList vatChoices;

    // The head as remembered by "Open saved": customer number and name, three address lines,
    // VAT number, document number, our and your reference.
    struct RememberedHead {
        QString custNo, cust, line1, line2, line3, vatNo, invNo, ourRef, yourRef;
    } remembered;

    // ---- Operations other windows use ----------------------------------------------------
    void EmptyInvoice();
    void EmptyHead();
    void Totalsums();
    void AllRows();
    void UnlockHead();
    void LockHead();
    bool headLocked() const { return m_headLocked; }
    void CheckCreditLimit();
    // Fills the head from the current customer record of the look-up's or the editor's table.
    void FillCustomer(db::DataSet& customers);
    void PrepareNewCustomer();
    // Shows the new-customer panel in the middle of the editor.
    void showNewCustomerPanel();
    // The next number of the scheme into the number box (schemes 1 and 2).
    void giveNextNumber();
    // Shows a companion modally and then makes the editor the active window again, with the
    // focus where the companion left it (the companions' owner may be hidden).
    void showCompanion(QWidget* companion);
    // Puts the focus into the rows grid at a column.
    void focusRows(int column);
    // Opens the editor's current IHead record as the document being written.
    void LoadDocument();
    // Starts a new document that the owner fills in itself (finance charging): the editor then
    // holds a document to print, stored anew, after the owner has emptied it.
    void beginFilledDocument();
    // Starts a new working row (VAT and discount of the last row) and moves the grid to it.
    void appendRow();
    QString documentKind() const;
    bool isStoredNumber(const QString& number);
    // The head as the boxes hold it, with the current total.
    invoicing::DocumentHead currentHead() const;
    // Stores the document (as printed when DocPrinted is set) with its rows in one
    // transaction; false, after a message, when it could not be stored.
    bool SaveDocument();
    // Counts the document in the customer's and the products' statistics.
    bool UpdateStatistics();
    // Hands the document to the print layout: its rows and the head values.
    void FillReport(TfmqrInvoice& layout);
    // After a printout or PDF: statistics, storing, emptying, the number committed.
    void afterPrinting();
    // A PDF or e-invoice file written (printed, stored; the finance window's editor closes)
    // or not (the document stays open, and the reason, naming the file, is shown).
    void documentWritten(bool written, const QString& file, const QString& error);

public slots:
    void btnNewInvoiceClick();
    void btnOpenClick();
    void btnPrintClick();
    void btnPdfClick();
    void btnEInvoiceClick();
    void btnAbortClick();
    void cbDocumentChange();
    void edInvNoExit();
    void edInvDateExit();
    void edDueDateExit();
    void edCustNoExit();
    void edCustExit();
    void edOurReferenceExit();
    void edNewCustNoExit();
    void btnSave1Click();
    void btnAbort1Click();
    void btnCloseClick(); // closes the long description panel
    void mnLanguageClick();
    void mnFreeTextClick();
    // F10, Space or the right mouse button in the customer boxes.
    void showCustomerLookup();
    void gdInvoiceRowsColEnter(int column);
    void gdInvoiceRowsColExit(int column);
    // True when the key was used.
    bool gdInvoiceRowsKeyDown(QKeyEvent* event, int column);
    void deleteCurrentRow();

protected:
    void FormActivate() override;
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void buildWindow();
    QWidget* buildHead();
    QWidget* buildCompanyFooter();
    QWidget* buildTotals();
    void buildNewCustomerPanel();
    void buildDescriptionPanel();
    void openTables();
    void readSettings();
    void loadLogo();
    void showFreeText();
    void fillKinds();
    void layoutNewCustomerPanel();
    void applyHead(const invoicing::HeadAddress& head);
    void showLongDescription();
    void setRowNumbersEditable(bool editable);
    void clearNewCustomerPanel();
    bool findCustomer(const QString& number, bool byKey);
    void showAmount(QLineEdit* box, Currency value);
    QString settingsPath() const;
    // Stores the document in one transaction; throws db::EngineError, having stored nothing.
    void storeDocument();
    // The tables read again after a save was undone.
    void refreshAfterFailedStore();
    // False, after saying so, when the editor holds no document (before New or Open saved,
    // and after a printout).
    bool hasDocumentToPrint();
    // Posts the row being edited and drops the empty row the grid leaves at the end.
    void commitRows();
    // Shows totals in the boxes and keeps them as the document's (SumExclVAT, SumVAT,
    // DocTotal); with prices including VAT the sum box stays hidden.
    void showTotals(Currency sum, Currency vat, Currency total);
    // Whether the document's customer is in the register and wants Factur-X files.
    bool customerWantsFacturX();
    // The committed sequence numbers and today into MRVInv.ini.
    void writeCounters();

    EditorOwner m_ownerKind;
    bool m_headLocked = false;
    bool m_exitBusy = false;
    bool m_freshlyShown = false;
    bool m_hasDocument = false; // New or Open saved started one; a printout ends it
    QString m_pdfFolder;        // where the last PDF was written
    // Change versions of the working rows when they were last computed and summed.
    quint64 m_computedVersion = 0;
    std::optional<quint64> m_sumsVersion;
    std::pair<Currency, Currency> m_sums;
};

// The one editor of the program while it is open.
extern TfmInvoice* fmInvoice;
