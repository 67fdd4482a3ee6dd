#pragma once

#include "printing/invoiceprint.h"
#include "ui/form.h"

#include <QString>

#include <memory>

namespace db {
class DataSet;
}

namespace report {
class Band;
class DataSource;
class DbDataSource;
class Report;
} // namespace report

// The report window of a printed document: it holds the report qrInvoice with the bands and
// elements of the document layout. Creation fills the company footer, applies the language
// texts and the current design, loads the chosen free text, sizes the footer and computes the
// page scale. The editor then gives it the rows (setRows) and the head values (setCaption on
// the named labels) and previews it (Preview: the user prints or saves a PDF from there) or
// writes a PDF (exportPdf). When the document has really been printed or written, printed()
// turns true and documentPrinted() is emitted, once for each printing.
class TfmqrInvoice : public ui::Form {
    Q_OBJECT
public:
    // The document kind is the editor's: the chosen item of the owner's cbDocument, read each
    // time it is needed, unless one is given here or by setDocumentKind.
    explicit TfmqrInvoice(QWidget* owner, const QString& documentKind = QString());
    ~TfmqrInvoice() override;

    report::Report* qrInvoice = nullptr;

    QString documentKind() const;
    // Replaces the owner's choice (tests, and callers without a kind list).
    void setDocumentKind(const QString& kind) { m_documentKind = kind; }
    // Layout units per millimetre of page length, computed once the design is applied.
    double pageScale() const { return m_pageScale; }

    // The rows to print: the editor's TRow (fields Item, Code, Description, Qty, Unit, Price,
    // Discount, "VAT %", Sum, LongDesc, LDesc), read from its first record each time the
    // report is laid out. The dataset is not owned and must live while the window does.
    void setRows(db::DataSet* rows);
    // The same from any source of records (not owned).
    void setRowSource(report::DataSource* rows);
    // Sets the text of a label of the layout by name (lbDocument, lbInvoiceNo, lbDate2,
    // lbDueDate2, lbShortName, lbOurRef2, lbYourRef2, lbCustNo2, lbCust, lbAddressRow1..3,
    // lbCustVAT2, lbSum2, lbVAT2, lbTotal2, lbTerms2, ...). False when there is no such label.
    bool setCaption(const QString& name, const QString& text);

    // The free text printed in the totals (rich text or RTF); an empty text prints nothing.
    void setFreeText(const QString& content);
    // The "scan to pay" code (EPCQRCode) of a payment; false, printing no code, when the
    // payment cannot be encoded (its message in *error).
    bool setPaymentCode(const einvoice::EpcPayment& payment, QString* error = nullptr);
    void clearPaymentCode();

    // The texts of the current document language on the captions.
    void ApplyLanguageTexts();
    // Shows the report in the preview, maximised; "Print" sends it to a printer through the
    // print dialog (with the report's copies), "Save as PDF" writes it with the PDF writer set
    // up as for the editor's "pdf". Either marks the document printed.
    void Preview();
    // Writes the document as a PDF file through the PDF writer set up as the editor holds it
    // (".pdf" is added to a name without it); opens it afterwards when asked. On failure
    // returns false with the reason, naming the file, in *error; nothing counts as printed.
    bool exportPdf(const QString& file, bool openAfter, QString* error = nullptr);
    // The same as a Factur-X file: PDF/A-3b with the invoice's Cross Industry Invoice XML
    // attached. A malformed XML is refused before anything is written.
    bool exportFacturX(const QString& file, const QByteArray& ciiXml, bool openAfter,
                       QString* error = nullptr);
    // The name proposed for the PDF file: the document title and number.
    QString proposedPdfName() const;

    // Whether the report was printed (confirmed on a printer or written as a PDF).
    bool printed() const { return m_printed; }

    // The report's events, public for the tests.
    void qrInvoiceBeforePrint(report::Report& report, bool& print);
    void qrInvoiceAfterPrint();

signals:
    void documentPrinted();

private:
    void FormCreate();
    bool writeDocument(const QString& file, bool openAfter, const QByteArray& ciiXml,
                       QString* error);
    void loadFreeText();
    void placeFrameBelow(const report::Band* band);
    void BandItemsBeforePrint(report::Band& band, bool& print);

    QString m_documentKind;
    double m_pageScale = 0;
    double m_footerHeight = 0;
    bool m_printed = false;
    printing::DesignStates m_design;
    // The editor's title and the one the language gave it, so that printing again starts
    // from the editor's.
    QString m_editorTitle;
    QString m_languageTitle;
    std::unique_ptr<report::DbDataSource> m_rows;
    report::DataSource* m_source = nullptr;
};
