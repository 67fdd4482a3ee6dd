// Electronic invoices of the invoice editor: Factur-X (the printed pages as PDF/A-3b with the
// invoice's XML inside) and XRechnung (the XML alone).
#include "invoicing/tfminvoice.h"

#include "db/dberror.h"
#include "einvoice/einvoice.h"
#include "einvoice/settlement.h"
#include "invoicing/einvoicedoc.h"
#include "invoicing/logging.h"
#include "printing/invoiceprint.h"
#include "printing/tfmqrinvoice.h"
#include "service/dates.h"
#include "service/savefile.h"
#include "service/service.h"
#include "ui/dialogs.h"

#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTextEdit>

namespace {

QString withSuffix(QString name, const QString& suffix) {
    const QFileInfo info(name);
    if (info.suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
        name.chop(4);
    return name + suffix;
}

} // namespace

bool TfmInvoice::customerWantsFacturX() {
    try {
        const invoicing::EInvoiceCustomer c = invoicing::findEInvoiceCustomer(
            sCustomer, Service::DataDir, edCustNo->text(), Service::CompanyCountry);
        return c.found && c.format == invoicing::EInvoiceFormat::FacturX;
    } catch (const db::EngineError& e) {
        qCWarning(lcInvoicing) << "e-invoice format" << e.message();
        return false;
    }
}

void TfmInvoice::btnEInvoiceClick() {
    if (!hasDocumentToPrint())
        return;
    const QString kind = documentKind();
    if (!einvoice::isEInvoiceKind(kind)) {
        ui::ShowError(QStringLiteral("A %1 is not issued as an e-invoice: only invoices, tax "
                                     "invoices and credit invoices are.")
                          .arg(kind.toLower()));
        return;
    }
    invoicing::EInvoiceCustomer customer;
    QList<einvoice::Row> rows;
    QList<einvoice::VatRate> rates;
    commitRows();
    try {
        customer = invoicing::findEInvoiceCustomer(sCustomer, Service::DataDir, edCustNo->text(),
                                                   Service::CompanyCountry);
        rows = invoicing::eInvoiceRows(Service::DataDir, Service::VATinPrice);
        rates = invoicing::eInvoiceVatRates(Service::DataDir);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    if (!customer.found) {
        ui::ShowError(
            QStringLiteral("The customer \"%1\" is not in the customer register.\nAn "
                           "e-invoice takes the buyer's address, country and format "
                           "from there: save the customer first.")
                .arg(edCustNo->text().trimmed().isEmpty() ? edCust->text() : edCustNo->text()));
        return;
    }
    invoicing::EInvoiceFormat format = customer.format;
    if (format == invoicing::EInvoiceFormat::None) {
        if (!ui::AskYesNo(QStringLiteral("The customer %1 has no e-invoice format set.\nWrite a "
                                         "Factur-X file (a PDF with the invoice's data inside)?")
                              .arg(customer.buyer.name)))
            return;
        format = invoicing::EInvoiceFormat::FacturX;
    }
    const bool xrechnung = format == invoicing::EInvoiceFormat::XRechnung;
    const einvoice::Profile profile =
        xrechnung ? einvoice::Profile::XRechnung : einvoice::Profile::En16931;

    invoicing::EInvoiceHead head;
    head.kind = kind;
    head.number = edInvNo->text();
    head.date = edInvDate->date();
    head.due = edDueDate->date();
    head.termsDays = Dates::wholeDaysBetween(edInvDate->date(), edDueDate->date());
    head.yourReference = edYourReference->text();
    head.ourReference = edOurReference->text();
    head.note = mTotal->toPlainText();
    head.roundTotal = Rounding;
    const einvoice::Invoice invoice = invoicing::buildEInvoice(head, customer.buyer, rows, rates);

    // Nothing is written, stored or counted for a document the rules would refuse.
    const QStringList problems = einvoice::precheck(invoice, profile);
    if (!problems.isEmpty()) {
        ui::ShowError(QStringLiteral("The e-invoice cannot be written:\n- ") +
                      problems.join(QStringLiteral("\n- ")));
        return;
    }

    const QString proposedPdf = printing::documentPdfName(kind, edInvNo->text());
    const QString proposed =
        xrechnung ? withSuffix(proposedPdf, QStringLiteral(".xml")) : proposedPdf;
    QString folder = m_pdfFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString file =
        xrechnung ? ui::getSaveFileName(this, QStringLiteral("Save as XRechnung"), folder, proposed,
                                        QStringLiteral("XRechnung Files (*.xml)|*.xml|"))
                  : ui::getSaveFileName(this, QStringLiteral("Save as Factur-X"), folder, proposed,
                                        QStringLiteral("Adobe PDF Files (*.pdf)|*.pdf|"));
    if (file.isEmpty())
        return;
    m_pdfFolder = QFileInfo(file).absolutePath();

    // The document charges what the rules compute, so page and file show the same total.
    const einvoice::RuleTotals totals = einvoice::totalsByRules(invoice);
    const bool credit = invoice.isCredit();
    showTotals(Service::VATinPrice ? totals.net + totals.vat : totals.net, totals.vat,
               credit ? -totals.total : totals.total);

    DocPrinted = false;
    TermsDays = head.termsDays;
    QString error;
    bool written = false;
    if (xrechnung) {
        const QString target =
            QFileInfo(file).suffix().isEmpty() ? file + QStringLiteral(".xml") : file;
        written = SaveFile::writeFile(target, einvoice::writeUbl(invoice, profile), &error);
    } else {
        auto layout = std::make_unique<TfmqrInvoice>(this);
        FillReport(*layout);
        const bool view = ui::AskYesNo(QStringLiteral("View document?"));
        written = layout->exportFacturX(file, einvoice::writeCii(invoice, profile), view, &error);
    }
    if (!written)
        Totalsums(); // the document stays open and unsaved with the totals of its rows
    documentWritten(written, file, error);
}
