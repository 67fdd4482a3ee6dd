#include "printing/tfmqrinvoice.h"

#include "report/facturx.h"

#include "db/dberror.h"
#include "db/table.h"
#include "pdf/pdfengine.h"
#include "printing/designfile.h"
#include "printing/invoicelayout.h"
#include "printing/languages.h"
#include "printing/logging.h"
#include "printing/pdfoutput.h"
#include "report/dbdatasource.h"
#include "report/facturx.h"
#include "report/pdfexport.h"
#include "report/preview.h"
#include "report/report.h"
#include "report/units.h"
#include "service/service.h"

#include <QComboBox>

using namespace report;

TfmqrInvoice::TfmqrInvoice(QWidget* owner, const QString& documentKind)
    : ui::Form(owner, QStringLiteral("TfmqrInvoice"), QStringLiteral("Invoice"))
    , m_documentKind(documentKind) {
    qrInvoice = new Report(this, QStringLiteral("qrInvoice"));
    printing::buildInvoiceLayout(*qrInvoice);
    FormCreate();
}

TfmqrInvoice::~TfmqrInvoice() = default;

QString TfmqrInvoice::documentKind() const {
    if (!m_documentKind.isEmpty())
        return m_documentKind;
    if (QWidget* owner = parentWidget())
        if (auto* kind = owner->findChild<QComboBox*>(QStringLiteral("cbDocument")))
            return kind->currentText();
    return QString();
}

void TfmqrInvoice::FormCreate() {
    printing::fillCompanyFooter(*qrInvoice);
    ApplyLanguageTexts();
    printing::DesignFile(Service::DesignFile).applyTo(*qrInvoice, 15);
    m_design = printing::DesignStates::capture(*qrInvoice);
    loadFreeText();
    printing::setFooterHeight(*qrInvoice, Service::VAT);
    m_footerHeight = qrInvoice->bandNamed(QStringLiteral("BandFooter"))->height();
    m_pageScale = printing::pageScale(*qrInvoice);
    // Where the rows go on the first page; later pages place it again below their band.
    placeFrameBelow(qrInvoice->bandNamed(QStringLiteral("BandHeading")));

    Report& r = *qrInvoice;
    r.onBeforePrint = [this](Report& report, bool& print) { qrInvoiceBeforePrint(report, print); };
    r.onAfterPrint = [this](Report&) { qrInvoiceAfterPrint(); };
    Band* heading = r.bandNamed(QStringLiteral("BandHeading"));
    Band* newPage = r.bandNamed(QStringLiteral("BandNewPage"));
    Band* titles = r.bandNamed(QStringLiteral("BandTitles"));
    Band* items = r.bandNamed(QStringLiteral("BandItems"));
    Band* longDesc = r.bandNamed(QStringLiteral("BandLongDesc"));
    Band* totals = r.bandNamed(QStringLiteral("BandTotals"));
    Band* footer = r.bandNamed(QStringLiteral("BandFooter"));
    heading->onBeforePrint = [this](Band& band, bool&) { placeFrameBelow(&band); };
    newPage->onBeforePrint = [this](Band& band, bool&) { placeFrameBelow(&band); };
    titles->onBeforePrint = [this, newPage, titles](Band&, bool&) {
        // Without an extra-pages band the rows of later pages start below the margin.
        if (qrInvoice->pageNumber() > 1 && !newPage->isEnabled())
            placeFrameBelow(nullptr);
        if (!Service::VATcap.isEmpty())
            if (auto* vat = qrInvoice->element<Label>(QStringLiteral("lbVAT")))
                vat->setCaption(Service::VATcap + QStringLiteral(" %"));
        // A title a little too long for its column is drawn a little smaller; a much longer
        // one takes a second line in the titles band.
        for (Element* e : titles->elements())
            if (auto* t = qobject_cast<Label*>(e)) {
                const bool wrap = textWidth(t->caption(), t->font()) > t->width() * 1.15;
                t->setWordWrap(wrap);
                t->setOverflow(wrap ? TextElement::Overflow::Cut : TextElement::Overflow::Shrink);
                t->setHeight(wrap ? std::max(lineHeight(t->font()), titles->height() - t->top())
                                  : lineHeight(t->font()));
            }
    };
    items->onBeforePrint = [this](Band& band, bool& print) { BandItemsBeforePrint(band, print); };
    items->onAfterPrint = [](Band& band, bool) { band.setEnabled(true); };
    longDesc->onBeforePrint = [](Band& band, bool&) {
        if (Element* text = band.findChild<Element*>(QStringLiteral("QRDBText1")))
            text->setWidth(band.width() - 10);
    };
    totals->onBeforePrint = [this](Band&, bool&) {
        if (!Service::VATcap.isEmpty())
            if (auto* vat = qrInvoice->element<Label>(QStringLiteral("lbVAT1")))
                vat->setCaption(Service::VATcap + QStringLiteral(":"));
        if (Service::VATinPrice)
            for (const char* name : {"lbSum1", "lbSum2"})
                if (Element* e = qrInvoice->element(QLatin1String(name)))
                    e->setEnabled(false);
    };
    footer->onBeforePrint = [this](Band& band, bool&) {
        // Taller once for the company's VAT number, never again on each page.
        band.setHeight(m_footerHeight + (Service::VATnumber.isEmpty() ? 0 : 5));
    };
}

void TfmqrInvoice::loadFreeText() {
    // The chosen free text, when the table has it; a missing table or name prints none.
    try {
        db::Table freeText;
        freeText.setDatabaseName(Service::DataDir);
        freeText.setTableName(QStringLiteral("FreeText"));
        freeText.Open();
        if (freeText.Locate(QStringLiteral("Name"), Service::FriTextNamn,
                            db::LocateCaseInsensitive))
            setFreeText(freeText.FieldByName(QStringLiteral("Text")).AsString());
        freeText.Close();
    } catch (const db::EngineError& e) {
        qCDebug(lcPrinting) << "free text not read:" << e.message();
    }
}

void TfmqrInvoice::placeFrameBelow(const Band* band) {
    printing::placeItemFrame(*qrInvoice, band && band->isEnabled() ? band->height() : 0,
                             m_pageScale);
    // No row runs over the frame's bottom: it goes to the next page instead.
    const QRectF frame = qrInvoice->element(QStringLiteral("shItemFrame"))->rect();
    for (const char* name : {"BandItems", "BandLongDesc"})
        if (Band* b = qrInvoice->bandNamed(QLatin1String(name)))
            b->setPrintLimit(frame.bottom());
}

void TfmqrInvoice::setRows(db::DataSet* rows) {
    m_rows = std::make_unique<DbDataSource>(rows);
    setRowSource(m_rows.get());
}

void TfmqrInvoice::setRowSource(DataSource* rows) {
    m_source = rows;
    qrInvoice->setDataSource(rows);
}

bool TfmqrInvoice::setCaption(const QString& name, const QString& text) {
    auto* label = qrInvoice->element<Label>(name);
    if (!label)
        return false;
    label->setCaption(text);
    return true;
}

bool TfmqrInvoice::setPaymentCode(const einvoice::EpcPayment& payment, QString* error) {
    clearPaymentCode();
    auto* code = qrInvoice->element<Matrix>(QStringLiteral("EPCQRCode"));
    if (!code)
        return false;
    const std::optional<QByteArray> payload = einvoice::epcPayload(payment, error);
    if (!payload)
        return false;
    const einvoice::QrMatrix m = einvoice::epcQrMatrix(*payload);
    if (m.isNull()) {
        if (error)
            *error = QStringLiteral("The payment code does not fit a QR code.");
        return false;
    }
    std::vector<bool> dark(static_cast<size_t>(m.size()) * static_cast<size_t>(m.size()));
    for (int y = 0; y < m.size(); ++y)
        for (int x = 0; x < m.size(); ++x)
            dark[static_cast<size_t>(y) * static_cast<size_t>(m.size()) + static_cast<size_t>(x)] =
                m.dark(x, y);
    code->setModules(m.size(), std::move(dark));
    return true;
}

void TfmqrInvoice::clearPaymentCode() {
    if (auto* code = qrInvoice->element<Matrix>(QStringLiteral("EPCQRCode")))
        code->clear();
}

void TfmqrInvoice::setFreeText(const QString& content) {
    if (auto* text = qrInvoice->element<RichText>(QStringLiteral("dataFreeText")))
        text->setContent(content);
}

void TfmqrInvoice::ApplyLanguageTexts() {
    printing::applyInvoiceLanguageTexts(*qrInvoice, documentKind(), Service::DataDir);
}

void TfmqrInvoice::qrInvoiceBeforePrint(Report& r, bool&) {
    // Printing again starts from the editor's title, not from the language's.
    auto* title = r.element<Label>(QStringLiteral("lbDocument"));
    if (title) {
        if (m_editorTitle.isNull() || title->caption() != m_languageTitle)
            m_editorTitle = title->caption();
        title->setCaption(m_editorTitle);
    }
    // The footer's height is final before the frame of the first page is placed.
    if (Band* footer = r.bandNamed(QStringLiteral("BandFooter")))
        footer->setHeight(m_footerHeight + (Service::VATnumber.isEmpty() ? 0 : 5));
    printing::adaptToDocument(r, documentKind(), m_source, m_design);
    ApplyLanguageTexts();
    if (title)
        m_languageTitle = title->caption();
    printing::keepValuesBesideCaptions(r);
    placeFrameBelow(r.bandNamed(QStringLiteral("BandHeading")));
}

void TfmqrInvoice::BandItemsBeforePrint(Band& band, bool&) {
    Report& r = *qrInvoice;
    Band* longDesc = r.bandNamed(QStringLiteral("BandLongDesc"));
    // 1. The long description, alone when the row has no item.
    const bool hasLong = printing::rowFlag(m_source, QStringLiteral("LongDesc"));
    longDesc->setEnabled(hasLong);
    if (hasLong && printing::rowText(m_source, QStringLiteral("Item")).isEmpty())
        band.setEnabled(false);
    // 3. The code, broken in the narrow column of a portrait page.
    if (auto* code = r.element<Label>(QStringLiteral("lbCode2")))
        code->setCaption(printing::printedCode(printing::rowText(m_source, QStringLiteral("Code")),
                                               r.orientation()));
    // 2. A row whose long description would not fit goes to the next page.
    const QString text = printing::rowText(m_source, QStringLiteral("LDesc"));
    const QRectF frame = r.element(QStringLiteral("shItemFrame"))->rect();
    bool newPage = printing::rowStartsNewPage(
        r.currentY(), frame, hasLong ? printing::longDescriptionReserve(text) : 0, m_pageScale);
    if (!newPage && hasLong) {
        // The row and its description stay together on the page.
        const double needed = (band.isEnabled() ? r.bandHeight(&band) : 0) +
                              (longDesc->isEnabled() ? r.bandHeight(longDesc) : 0);
        newPage = mmToUnits(r.currentY()) + needed > frame.bottom() + 1e-6;
    }
    if (newPage)
        r.newColumn();
}

void TfmqrInvoice::qrInvoiceAfterPrint() {
    m_printed = true;
    emit documentPrinted();
}

QString TfmqrInvoice::proposedPdfName() const {
    auto* title = qrInvoice->element<Label>(QStringLiteral("lbDocument"));
    auto* number = qrInvoice->element<Label>(QStringLiteral("lbInvoiceNo"));
    QString kind = documentKind();
    if (kind.isEmpty())
        kind = m_editorTitle.isNull() ? (title ? title->caption() : QString()) : m_editorTitle;
    return printing::documentPdfName(kind, number ? number->caption() : QString());
}

void TfmqrInvoice::Preview() {
    qrInvoice->setPreviewMaximized(true);
    PreviewOptions options;
    options.pdfFileName = proposedPdfName();
    options.setupPdfEngine = [](TgtPDFEngine& engine) { printing::setupInvoicePdfEngine(engine); };
    options.pdfSaved = [this](const QString&) { qrInvoiceAfterPrint(); };
    previewReport(*qrInvoice, this, std::move(options));
}

bool TfmqrInvoice::exportPdf(const QString& file, bool openAfter, QString* error) {
    return writeDocument(file, openAfter, QByteArray(), error);
}

bool TfmqrInvoice::exportFacturX(const QString& file, const QByteArray& ciiXml, bool openAfter,
                                 QString* error) {
    return writeDocument(file, openAfter, ciiXml, error);
}

bool TfmqrInvoice::writeDocument(const QString& file, bool openAfter, const QByteArray& ciiXml,
                                 QString* error) {
    TgtPDFEngine engine;
    printing::setupInvoicePdfEngine(engine);
    setPdfTarget(engine, pdfFileNameFor(file));
    engine.Preferences.ShowSetupDialog = false;
    engine.Preferences.OpenAfterCreate = openAfter;
    // An invoice XML makes the file a Factur-X PDF/A-3b; nothing is written when it is refused.
    if (!ciiXml.isEmpty() && !report::setupFacturX(engine, ciiXml, error))
        return false;
    TgtQRExportInterface bridge(&engine);
    bridge.ShowProgress = false;
    // Page by page into the file: a long document needs no more memory than a short one.
    bridge.KeepPages = false;
    if (!bridge.Render(*qrInvoice)) {
        if (error)
            *error = bridge.errorString();
        return false;
    }
    qrInvoiceAfterPrint();
    return true;
}
