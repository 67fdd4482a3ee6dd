#include "printing/tfmqrinvoice.h"

#include "printing/designfile.h"
#include "printing/invoicelayout.h"
#include "printing/languages.h"
#include "report/preview.h"
#include "report/report.h"
#include "service/service.h"

#include <QComboBox>

TfmqrInvoice::TfmqrInvoice(QWidget* owner, const QString& documentKind)
    : ui::Form(owner, QStringLiteral("TfmqrInvoice"), QStringLiteral("Invoice"))
    , m_documentKind(documentKind) {
    if (m_documentKind.isEmpty() && owner)
        if (auto* kind = owner->findChild<QComboBox*>(QStringLiteral("cbDocument")))
            m_documentKind = kind->currentText();
    qrInvoice = new report::Report(this, QStringLiteral("qrInvoice"));
    printing::buildInvoiceLayout(*qrInvoice);
    FormCreate();
}

void TfmqrInvoice::FormCreate() {
    printing::fillCompanyFooter(*qrInvoice);
    ApplyLanguageTexts();
    printing::DesignFile(Service::DesignFile).applyTo(*qrInvoice, 15);
    printing::setFooterHeight(*qrInvoice, Service::VAT);
    m_pageScale = printing::pageScale(*qrInvoice);
    // Where the rows go on the first page; later pages place it again below their band.
    if (report::Band* heading = qrInvoice->bandNamed(QStringLiteral("BandHeading")))
        printing::placeItemFrame(*qrInvoice, heading->height(), m_pageScale);
}

void TfmqrInvoice::setFreeText(const QString& content) {
    if (auto* text = qrInvoice->element<report::RichText>(QStringLiteral("dataFreeText")))
        text->setContent(content);
}

void TfmqrInvoice::ApplyLanguageTexts() {
    printing::applyInvoiceLanguageTexts(*qrInvoice, m_documentKind, Service::DataDir);
}

void TfmqrInvoice::Preview() {
    qrInvoice->setPreviewMaximized(true);
    report::previewReport(*qrInvoice, this);
}
