#include "printing/tfmqrtryinvoice.h"

#include "db/dberror.h"
#include "db/table.h"
#include "printing/designfile.h"
#include "printing/invoicelayout.h"
#include "printing/invoiceprint.h"
#include "printing/logging.h"
#include "report/dbdatasource.h"
#include "report/preview.h"
#include "report/report.h"
#include "service/currency.h"
#include "service/dates.h"
#include "service/service.h"
#include "ui/dialogs.h"

#include <QDate>
#include <QFileInfo>

#include <algorithm>

using namespace report;

namespace {

struct SampleRow {
    const char* item;
    const char* code;
    const char* description;
    double qty;
    const char* unit;
    const char* price;
    double discount;
    double vat;
    const char* sum;
};

// The codes, descriptions and amounts show whether the columns are wide enough.
const SampleRow kSampleRows[] = {
    {"1", "1A", "Row 1", 1, "pcs", "1.00", 10, 12.5, "1.00"},
    {"2", "2 aaaaaaaB AAAAAAAAB", "Row 2", 1, "pcs", "1.00", 10, 12.5, "1.00"},
    {"113", "33A", "Row 3 XXXXX XXXXX XXXXXXX XXXX XXXXXXXXXX XXXXX", 9999999, "XXXXX",
     "9999999.00", 0, 25.5, "9999999.00"},
    {"4", "4A", "Row 4", 1125, "pcs", "1.25", 50, 25.5, "1406.25"},
    {"5", "5A", "Row 5 X X X X X X X X X X X X X X X X", 999999, "pcs", "1.25", 50, 25.5,
     "1406.25"},
};

Currency money(const char* text) {
    return *Currency::parse(QString::fromLatin1(text), QLocale::c());
}

void setCaption(Report& r, const char* name, const QString& text) {
    if (auto* l = r.element<Label>(QLatin1String(name)))
        l->setCaption(text);
}

void showElement(Report& r, const char* name, bool on) {
    if (Element* e = r.element(QLatin1String(name)))
        e->setEnabled(on);
}

} // namespace

TfmqrTryInvoice::TfmqrTryInvoice(QWidget* owner, const printing::TestPrintRequest& request)
    : ui::Form(owner, QStringLiteral("TfmqrTryInvoice"), QStringLiteral("Test print"))
    , m_designFile(request.designFile) {
    qrTryInvoice = new Report(this, QStringLiteral("qrTryInvoice"));
    Report& r = *qrTryInvoice;
    r.setTitle(QStringLiteral("Test Invoice"));
    printing::buildInvoiceLayout(r);
    // No long descriptions in the test print.
    if (Band* longDesc = r.bandNamed(QStringLiteral("BandLongDesc")))
        longDesc->setEnabled(false);

    setSampleHead();
    dbTestRows = new db::Table(this);
    dbTestRows->setObjectName(QStringLiteral("dbTestRows"));
    dbTestRows->setDatabaseName(Service::DataDir);
    dbTestRows->setTableName(QStringLiteral("RowInvoiceTest"));
    writeSampleRows();
    m_rows = std::make_unique<DbDataSource>(dbTestRows);
    r.setDataSource(m_rows.get());

    printing::fillCompanyFooter(r);
    printing::DesignFile(m_designFile).applyTo(r, kBottomMargin);
    if (auto* text = r.element<RichText>(QStringLiteral("dataFreeText")))
        text->setContent(request.freeText);
    printing::setFooterHeight(r, Service::VAT);

    r.onBeforePrint = [this](Report& report, bool& print) {
        qrTryInvoiceBeforePrint(report, print);
    };
    if (Band* items = r.bandNamed(QStringLiteral("BandItems")))
        items->onBeforePrint = [this](Band& band, bool& print) {
            BandItemsBeforePrint(band, print);
        };
    if (Band* totals = r.bandNamed(QStringLiteral("BandTotals")))
        totals->onBeforePrint = [this](Band& band, bool& print) {
            BandTotalsBeforePrint(band, print);
        };
}

TfmqrTryInvoice::~TfmqrTryInvoice() {
    qrTryInvoice->setDataSource(nullptr);
    m_rows.reset();
}

QString TfmqrTryInvoice::sampleAmount() {
    return Currency::fromDouble(12345678.9L).format(std::clamp(Service::Decimals, 0, 4));
}

void TfmqrTryInvoice::setSampleHead() {
    Report& r = *qrTryInvoice;
    const QDate today = QDate::currentDate();
    setCaption(r, "lbShortName", QStringLiteral("COMPANY (short)"));
    setCaption(r, "lbInvNoP1", QStringLiteral("Document"));
    setCaption(r, "lbInvNoP2", QStringLiteral("123-456"));
    setCaption(r, "lbDocument", QStringLiteral("Test Invoice"));
    setCaption(r, "lbInvoiceNo", QStringLiteral("2003051234"));
    setCaption(r, "lbCustNo2", QStringLiteral("123-456"));
    setCaption(r, "lbCust", QStringLiteral("Customer name"));
    setCaption(r, "lbAddressRow1", QStringLiteral("Address 1"));
    setCaption(r, "lbAddressRow2", QStringLiteral("Address 2"));
    setCaption(r, "lbAddressRow3", QStringLiteral("Address 3"));
    setCaption(r, "lbCustVAT2", QStringLiteral("123 456"));
    setCaption(r, "lbDate2", Dates::toShortText(today));
    setCaption(r, "lbDueDate2", Dates::toShortText(today.addDays(30)));
    setCaption(r, "lbYourRef2", QStringLiteral("mr Smith"));
    setCaption(r, "lbOurRef2", QStringLiteral("mr Jones"));
    setCaption(r, "lbTerms2", QStringLiteral("30"));
    for (const char* name : {"lbSum2", "lbVAT2", "lbTotal2"})
        setCaption(r, name, sampleAmount());
}

void TfmqrTryInvoice::writeSampleRows() {
    try {
        dbTestRows->setExclusive(true);
        dbTestRows->Open();
        dbTestRows->EmptyTable();
        for (const SampleRow& s : kSampleRows) {
            dbTestRows->Append();
            auto text = [this](const char* field, const char* value) {
                dbTestRows->FieldByName(QString::fromLatin1(field))
                    .setAsString(QString::fromLatin1(value));
            };
            text("Item", s.item);
            text("Code", s.code);
            text("Description", s.description);
            text("Unit", s.unit);
            dbTestRows->FieldByName(QStringLiteral("Qty")).setAsFloat(s.qty);
            dbTestRows->FieldByName(QStringLiteral("Discount")).setAsFloat(s.discount);
            dbTestRows->FieldByName(QStringLiteral("VAT %")).setAsFloat(s.vat);
            dbTestRows->FieldByName(QStringLiteral("Price")).setAsCurrency(money(s.price));
            dbTestRows->FieldByName(QStringLiteral("Sum")).setAsCurrency(money(s.sum));
            dbTestRows->Post();
        }
        dbTestRows->First();
    } catch (const db::EngineError& e) {
        // The test print still shows the design, without rows.
        qCWarning(lcPrinting) << "sample rows" << e.message();
        ui::ShowError(e.message());
    }
}

void TfmqrTryInvoice::qrTryInvoiceBeforePrint(Report& r, bool&) {
    // 1. Without VAT nothing of it prints.
    if (!Service::VAT)
        printing::hideVatElements(r);
    // 2. The customer's VAT number, for South Africa, whatever the document.
    const bool customerVat = Service::VAT && Service::Country == QLatin1String("ZA");
    showElement(r, "lbCustVAT1", customerVat);
    showElement(r, "lbCustVAT2", customerVat);
    // 3. and 4. The VAT titles.
    setCaption(r, "lbVAT", Service::VATcap + QStringLiteral(" %"));
    setCaption(r, "lbVAT1", Service::VATcap + QStringLiteral(":"));
    if (Service::Country == QLatin1String("CA"))
        if (auto* vat = r.element<TextElement>(QStringLiteral("lbVAT")))
            vat->setFontSize(7);
    // 5. The discount column by the switch alone.
    showElement(r, "lbDisc", Service::Disc);
    showElement(r, "dbDisc", Service::Disc);
    // 6. The company number's caption by country.
    setCaption(r, "lbCompanyVATno1", printing::companyNumberCaption(Service::Country));
    // 7. The logo, or the standard picture; the short name stays.
    if (auto* logo = r.element<Picture>(QStringLiteral("Logga"))) {
        logo->clear();
        for (const char* name : {"Logo.bmp", "Standard.bmp"}) {
            const QString file = Service::filePath(Service::DataDir, QLatin1String(name));
            if (QFileInfo::exists(file) && logo->loadFromFile(file))
                break;
        }
    }
    // 8. The titles' background.
    if (Band* titles = r.bandNamed(QStringLiteral("BandTitles")))
        titles->setColor(QColor(0xC0, 0xC0, 0xC0));
    // 9. The heading copies of the company data and the due date.
    printing::copyHeadingData(r);
    // 10. The item frame, once, below the heading.
    if (!m_framePlaced)
        if (Band* heading = r.bandNamed(QStringLiteral("BandHeading"))) {
            printing::placeItemFrame(r, heading->height(), printing::pageScale(r));
            m_framePlaced = true;
        }
}

void TfmqrTryInvoice::BandItemsBeforePrint(Band&, bool&) {
    Report& r = *qrTryInvoice;
    if (auto* code = r.element<Label>(QStringLiteral("lbCode2")))
        code->setCaption(printing::printedCode(
            printing::rowText(m_rows.get(), QStringLiteral("Code")), r.orientation()));
}

void TfmqrTryInvoice::BandTotalsBeforePrint(Band&, bool& print) {
    print = !m_rows || m_rows->eof();
    if (Service::VATinPrice)
        for (const char* name : {"lbSum1", "lbSum2"})
            showElement(*qrTryInvoice, name, false);
}

void TfmqrTryInvoice::Preview() {
    qrTryInvoice->setPreviewMaximized(true);
    previewReport(*qrTryInvoice, this);
}

namespace printing {

void installTryInvoice() {
    setTestPrintHandler([](const TestPrintRequest& request) {
        auto window = std::make_unique<TfmqrTryInvoice>(request.owner, request);
        window->Preview();
    });
}

} // namespace printing
