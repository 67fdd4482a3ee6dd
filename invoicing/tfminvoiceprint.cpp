// Printing, PDF output and closing of the invoice editor.
#include "invoicing/tfminvoice.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/table.h"
#include "invoicing/companions.h"
#include "invoicing/documentstore.h"
#include "invoicing/logging.h"
#include "invoicing/rowsgrid.h"
#include "printing/invoiceprint.h"
#include "printing/tfmlangselect.h"
#include "printing/tfmqrinvoice.h"
#include "report/report.h"
#include "service/dates.h"
#include "service/service.h"
#include "service/settingsfile.h"
#include "settings/fritext.h"
#include "ui/dialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextEdit>

namespace {

// Stops screen updates of the rows grid while a printout is made, whatever way it ends.
class FrozenGrid {
public:
    explicit FrozenGrid(QWidget* grid)
        : m_grid(grid) {
        m_grid->setUpdatesEnabled(false);
    }
    ~FrozenGrid() { m_grid->setUpdatesEnabled(true); }

private:
    QWidget* m_grid;
};

} // namespace

void TfmInvoice::FillReport(TfmqrInvoice& layout) {
    layout.setRows(dbTRow);
    layout.setCaption(QStringLiteral("lbDocument"), documentKind());
    layout.setCaption(QStringLiteral("lbInvoiceNo"), edInvNo->text());
    layout.setCaption(QStringLiteral("lbDate2"), Dates::toShortText(edInvDate->date()));
    layout.setCaption(QStringLiteral("lbDueDate2"), Dates::toShortText(edDueDate->date()));
    layout.setCaption(QStringLiteral("lbShortName"), Service::CompanyShortName);
    layout.setCaption(QStringLiteral("lbOurRef2"), edOurReference->text());
    layout.setCaption(QStringLiteral("lbYourRef2"), edYourReference->text());
    layout.setCaption(QStringLiteral("lbCustNo2"), edCustNo->text());
    layout.setCaption(QStringLiteral("lbCust"), edCust->text());
    layout.setCaption(QStringLiteral("lbAddressRow1"), edCustAddressLine1->text());
    layout.setCaption(QStringLiteral("lbAddressRow2"), edCustAddressLine2->text());
    layout.setCaption(QStringLiteral("lbAddressRow3"), edCustAddressLine3->text());
    layout.setCaption(QStringLiteral("lbCustVAT2"), edVATNumber->text());
    layout.setCaption(QStringLiteral("lbSum2"), edSum->text());
    layout.setCaption(QStringLiteral("lbVAT2"), edVAT->text());
    layout.setCaption(QStringLiteral("lbTotal2"), edTotal->text());
    layout.setCaption(QStringLiteral("lbTerms2"), QString::number(TermsDays));
    if (const auto payment = printing::documentPayment(documentKind(), DocTotal, edInvNo->text()))
        layout.setPaymentCode(*payment);
    commitRows();
}

void TfmInvoice::commitRows() {
    try {
        if (dbTRow->Active()) {
            if (dbTRow->State() != db::DataSetState::Browse)
                dbTRow->Post();
            invoicing::dropTrailingEmptyRow(Service::DataDir);
            dbTRow->Refresh();
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

bool TfmInvoice::hasDocumentToPrint() {
    if (m_hasDocument)
        return true;
    // After printing the editor is empty and locked while it still names the opened record:
    // printing now would store an empty document over it.
    ui::ShowError(
        QStringLiteral("There is no document to print.\nChoose New or Open saved first."));
    return false;
}

void TfmInvoice::btnPrintClick() {
    if (!hasDocumentToPrint())
        return;
    {
        FrozenGrid frozen(gdInvoiceRows);
        DocPrinted = false;
        TermsDays = Dates::wholeDaysBetween(edInvDate->date(), edDueDate->date());
        auto layout = std::make_unique<TfmqrInvoice>(this);
        FillReport(*layout);
        layout->qrInvoice->setCopies(Copies);
        connect(layout.get(), &TfmqrInvoice::documentPrinted, this, [this] { DocPrinted = true; });
        hideWhile([&] { layout->Preview(); });
        layout.reset();
        afterPrinting();
    }
    if (ownerIsFinance())
        close();
}

void TfmInvoice::btnPdfClick() {
    if (!hasDocumentToPrint())
        return;
    // A customer who wants Factur-X gets it in place of the plain PDF: the same pages, with the
    // invoice's data inside.
    if (customerWantsFacturX()) {
        btnEInvoiceClick();
        return;
    }
    {
        FrozenGrid frozen(gdInvoiceRows);
        const QString proposed = printing::documentPdfName(documentKind(), edInvNo->text());
        QString folder = m_pdfFolder;
        if (folder.isEmpty())
            folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString file =
            ui::getSaveFileName(this, QStringLiteral("Save as PDF"), folder, proposed,
                                QStringLiteral("Adobe PDF Files (*.pdf)|*.pdf|"));
        if (file.isEmpty())
            return;
        m_pdfFolder = QFileInfo(file).absolutePath();
        DocPrinted = false;
        TermsDays = Dates::wholeDaysBetween(edInvDate->date(), edDueDate->date());
        auto layout = std::make_unique<TfmqrInvoice>(this);
        FillReport(*layout);
        const bool view = ui::AskYesNo(QStringLiteral("View document?"));
        QString error;
        const bool written = layout->exportPdf(file, view, &error);
        layout.reset();
        documentWritten(written, file, error);
    }
}

void TfmInvoice::documentWritten(bool written, const QString& file, const QString& error) {
    if (!written) {
        // The document stays as it is, open and unsaved, and counts as not printed.
        DocPrinted = false;
        ui::ShowError(error.isEmpty() ? QStringLiteral("The file %1 could not be written.")
                                            .arg(QDir::toNativeSeparators(file))
                                      : error);
        return;
    }
    DocPrinted = true;
    afterPrinting();
    if (ownerIsFinance())
        close();
}

void TfmInvoice::afterPrinting() {
    if (!DocPrinted)
        return;
    // The number is on paper now: it is committed, and written to the settings at once, so
    // that no crash after this moment can give it again.
    LastTotalSeqNo = TotalSeq;
    LastDaySeqNo = DaySeq;
    writeCounters();
    // Statistics, the document and the archiving of collected sources go together or not at
    // all.
    try {
        db::Transaction transaction(Service::DataDir);
        if (!DocWasPrinted)
            invoicing::updateStatistics(currentHead(), sCustomer, sProducts, Service::DataDir);
        if (!DocLocked)
            storeDocument();
        transaction.commit();
    } catch (const db::EngineError& e) {
        // Nothing was stored or counted; the document stays on screen so that it can be saved.
        ui::ShowError(QStringLiteral("The document was printed, but it could not be stored:\n") +
                      e.message());
        DocSaved = false;
        refreshAfterFailedStore();
        return;
    }
    DocSaved = true;
    RowsCollected = false;
    EmptyInvoice();
    EmptyHead();
    Totalsums();
    LockHead();
    m_hasDocument = false;
}

void TfmInvoice::mnLanguageClick() {
    ui::execModal<TfmLangSelect>(this);
}

void TfmInvoice::mnFreeTextClick() {
    dbFreeText->Close();
    ui::execModal<TfmFriText>(this);
    try {
        dbFreeText->Open();
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    mTotal->clear();
    showFreeText();
}

void TfmInvoice::writeCounters() {
    SettingsFile ini(settingsPath());
    const QString s = QStringLiteral("Invoice");
    ini.writeDate(s, QStringLiteral("LastDate"), QDate::currentDate());
    ini.writeInteger(s, QStringLiteral("LastDaySeqNo"), LastDaySeqNo);
    ini.writeInteger(s, QStringLiteral("LastTotalSeqNo"), LastTotalSeqNo);
    QString error;
    if (!ini.updateFile(&error))
        ui::ShowError(error);
}

void TfmInvoice::FormClose() {
    pnlCustreg->hide();
    if (!ownerIsFinance() && !DocIsTemplate) {
        if (!DocPrinted && !DocLocked &&
            ui::AskYesNo(QStringLiteral("Print the document?"), ui::MsgType::Warning))
            btnPrintClick();
        if (!DocSaved && !DocLocked &&
            ui::AskYesNo(QStringLiteral("Save the document?"), ui::MsgType::Warning))
            SaveDocument();
        writeCounters();
    }
    EmptyInvoice();
    EmptyHead();
    // The passwords stay while the window lives: finance charging shows the same editor for
    // each finance invoice, and its open tables read through these sessions.
}
