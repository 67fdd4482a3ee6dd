#include "printing/designtestprint.h"

#include "printing/designfile.h"
#include "printing/invoicelayout.h"
#include "printing/languages.h"
#include "report/preview.h"
#include "report/report.h"
#include "service/service.h"

#include <QFileInfo>

namespace printing {

namespace {

TestPrintHandler& handler() {
    static TestPrintHandler h;
    return h;
}

constexpr int kTestPrintBottomMargin = 10;
const QString kFreeText = QStringLiteral("dataFreeText");

} // namespace

TestPrintHandler setTestPrintHandler(TestPrintHandler h) {
    TestPrintHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}

void runTestPrint(const TestPrintRequest& request) {
    if (handler()) {
        handler()(request);
        return;
    }
    std::unique_ptr<report::Report> r =
        request.source == TestPrintRequest::Source::FreeTextEditor
            ? freeTextAloneReport(request.designFile, request.freeText)
            : emptyDocumentReport(request.designFile, request.freeText);
    r->setPreviewMaximized(true);
    report::previewReport(*r, request.owner);
}

std::unique_ptr<report::Report> freeTextAloneReport(const QString& designFile,
                                                    const QString& content) {
    auto r = std::make_unique<report::Report>(nullptr, QStringLiteral("qrFreeText"));
    r->setTitle(QStringLiteral("Free text"));
    // The design places the free text in the totals band of documents.
    report::Band* band = r->addBand(report::BandKind::Title, QStringLiteral("BandTotals"), 116);
    auto* text = new report::RichText(band, kFreeText);
    text->setGeometry(5, 55, 600, 56);
    DesignFile(designFile).applyTo(*r, kTestPrintBottomMargin);
    // Alone, the text starts at the top of its band.
    text->setTop(0);
    band->setHeight(text->height());
    text->setContent(content);
    return r;
}

std::unique_ptr<report::Report> emptyDocumentReport(const QString& designFile,
                                                    const QString& freeText) {
    auto r = std::make_unique<report::Report>(nullptr, QStringLiteral("qrTryInvoice"));
    report::Report& rep = *r;
    rep.setTitle(QStringLiteral("Invoice"));
    buildInvoiceLayout(rep);
    fillCompanyFooter(rep);
    applyInvoiceLanguageTexts(rep, QStringLiteral("Invoice"), Service::DataDir);
    DesignFile(designFile).applyTo(rep, kTestPrintBottomMargin);
    setFooterHeight(rep, Service::VAT);
    if (report::Band* heading = rep.bandNamed(QStringLiteral("BandHeading")))
        placeItemFrame(rep, heading->height(), pageScale(rep));
    if (auto* name = rep.element<report::Label>(QStringLiteral("lbShortName")))
        name->setCaption(Service::CompanyShortName);
    if (auto* logo = rep.element<report::Picture>(QStringLiteral("Logga"))) {
        const QString file = Service::filePath(Service::DataDir, QStringLiteral("Logo.bmp"));
        if (QFileInfo::exists(file))
            logo->loadFromFile(file);
    }
    if (auto* text = rep.element<report::RichText>(kFreeText))
        text->setContent(freeText);
    rep.onBeforePrint = [&rep](report::Report&, bool&) { copyHeadingValues(rep); };
    return r;
}

} // namespace printing
