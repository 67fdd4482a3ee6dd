// The design test print: the sample head and rows, the design file's margins, and its own
// rules for the VAT number, discounts, the logo and the totals.
#include "db/datasetup.h"
#include "db/table.h"
#include "printing/tfmqrinvoice.h"
#include "printing/tfmqrtryinvoice.h"
#include "report/preview.h"
#include "report/report.h"
#include "service/dates.h"
#include "service/service.h"

#include "support/testenv.h"
#include "support/uihooks.h"
#include "trowinvoice.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>

using namespace report;

namespace {

// Every text an element printed, page after page.
QStringList printedTexts(const PreparedDocument& doc, const char* name) {
    QStringList out;
    for (const PreparedPage& page : doc.pages)
        for (const PlacedElement& e : page.elements)
            if (e.name == QLatin1String(name) && e.visible)
                out << e.text;
    return out;
}

const PlacedElement* firstPlaced(const PreparedDocument& doc, const char* name) {
    for (const PreparedPage& page : doc.pages)
        for (const PlacedElement& e : page.elements)
            if (e.name == QLatin1String(name))
                return &e;
    return nullptr;
}

bool printed(const PreparedDocument& doc, const char* name) {
    return !printedTexts(doc, name).isEmpty() ||
           (firstPlaced(doc, name) && firstPlaced(doc, name)->visible);
}

class TryInvoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(db::createDataDir(dir.path(), false, &error)) << error.toStdString();
        setTestCompany();
        Service::Country = QStringLiteral("GB");
        Service::DesignFile = shippedDesign(QStringLiteral("Classic"));
        QFile::remove(dir.file(QStringLiteral("Logo.bmp")));
    }
    std::unique_ptr<TfmqrTryInvoice> make(const QString& design = QString()) {
        printing::TestPrintRequest request;
        request.designFile = design.isEmpty() ? Service::DesignFile : design;
        request.freeText = QStringLiteral("Thank you for your order");
        return std::make_unique<TfmqrTryInvoice>(nullptr, request);
    }
    TempDataDir dir;
    MessageRecorder messages;
};

} // namespace

TEST_F(TryInvoiceTest, SampleHeadAndRowsReplaceWhatTheTableHeld) {
    {
        db::Table t;
        t.setDatabaseName(dir.path());
        t.setTableName(QStringLiteral("RowInvoiceTest"));
        t.Open();
        t.Append();
        t.FieldByName(QStringLiteral("Item")).setAsString(QStringLiteral("old"));
        t.Post();
    }
    auto w = make();
    EXPECT_EQ(w->qrTryInvoice->objectName(), QStringLiteral("qrTryInvoice"));
    EXPECT_EQ(w->dbTestRows->RecordCount(), 5);
    const PreparedDocument doc = w->qrTryInvoice->prepare();
    EXPECT_EQ(printedTexts(doc, "lbDocument").value(0), QStringLiteral("Test Invoice"));
    EXPECT_EQ(printedTexts(doc, "lbInvoiceNo").value(0), QStringLiteral("2003051234"));
    EXPECT_EQ(printedTexts(doc, "lbCust").value(0), QStringLiteral("Customer name"));
    EXPECT_EQ(printedTexts(doc, "lbDate2").value(0), Dates::toShortText(QDate::currentDate()));
    EXPECT_EQ(printedTexts(doc, "lbDueDate2").value(0),
              Dates::toShortText(QDate::currentDate().addDays(30)));
    const QString amount = Currency::fromDouble(12345678.9L).format(2);
    EXPECT_EQ(TfmqrTryInvoice::sampleAmount(), amount);
    EXPECT_EQ(printedTexts(doc, "lbTotal2").value(0), amount);
    EXPECT_EQ(printedTexts(doc, "lbSum2").value(0), amount);
    EXPECT_EQ(printedTexts(doc, "dbDescription").size(), 5) << "the old row is gone";
    // The long code breaks after its tenth character on a portrait page.
    EXPECT_EQ(printedTexts(doc, "lbCode2").value(1), QStringLiteral("2 aaaaaaaB  AAAAAAAAB"));
    // The totals once, after the rows; no long descriptions.
    EXPECT_EQ(printedTexts(doc, "lbTotal1").size(), 1);
    EXPECT_FALSE(w->qrTryInvoice->bandNamed(QStringLiteral("BandLongDesc"))->isEnabled());
    EXPECT_TRUE(messages.empty());
}

TEST_F(TryInvoiceTest, ADesignWithoutABottomMarginGivesTenMillimetresHereAndFifteenOnDocuments) {
    const QString design = dir.writeFile(QStringLiteral("NoMargin.ini"), "[Page]\nTopMargin=12\n");
    Service::DesignFile = design;
    auto test = make(design);
    EXPECT_DOUBLE_EQ(test->qrTryInvoice->bottomMargin(), 10);
    TfmqrInvoice document(nullptr, QStringLiteral("Invoice"));
    EXPECT_DOUBLE_EQ(document.qrInvoice->bottomMargin(), 15);
    // A missing design previews with the defaults.
    auto missing = make(dir.file(QStringLiteral("Gone.ini")));
    EXPECT_DOUBLE_EQ(missing->qrTryInvoice->bottomMargin(), 10);
    EXPECT_GE(missing->qrTryInvoice->prepare().pageCount(), 1);
}

TEST_F(TryInvoiceTest, TheDiscountColumnFollowsTheSwitchAloneForEveryRow) {
    Service::Disc = true;
    PreparedDocument doc = make()->qrTryInvoice->prepare();
    EXPECT_TRUE(printed(doc, "lbDisc"));
    EXPECT_EQ(printedTexts(doc, "dbDisc").size(), 5) << "row 3 with discount 0 as well";
    Service::Disc = false;
    doc = make()->qrTryInvoice->prepare();
    EXPECT_FALSE(printed(doc, "lbDisc"));
    EXPECT_TRUE(printedTexts(doc, "dbDisc").isEmpty());
}

TEST_F(TryInvoiceTest, TheCustomersVatNumberPrintsInSouthAfricaWithVatWhateverTheTitle) {
    Service::Country = QStringLiteral("ZA");
    PreparedDocument doc = make()->qrTryInvoice->prepare();
    EXPECT_EQ(printedTexts(doc, "lbCustVAT2").value(0), QStringLiteral("123 456"));
    Service::VAT = false;
    doc = make()->qrTryInvoice->prepare();
    EXPECT_TRUE(printedTexts(doc, "lbCustVAT2").isEmpty());
    EXPECT_TRUE(printedTexts(doc, "lbVAT2").isEmpty()) << "nothing of VAT without it";
    Service::VAT = true;
    Service::Country = QStringLiteral("GB");
    doc = make()->qrTryInvoice->prepare();
    EXPECT_TRUE(printedTexts(doc, "lbCustVAT2").isEmpty());
    EXPECT_EQ(printedTexts(doc, "lbVAT").value(0), QStringLiteral("VAT %"));
}

TEST_F(TryInvoiceTest, WithoutALogoTheStandardPictureShowsBesideTheShortName) {
    QImage standard(200, 100, QImage::Format_RGB32);
    standard.fill(Qt::darkGreen);
    ASSERT_TRUE(standard.save(dir.file(QStringLiteral("Standard.bmp")), "BMP"));
    const PreparedDocument doc = make()->qrTryInvoice->prepare();
    const PlacedElement* logo = firstPlaced(doc, "Logga");
    ASSERT_NE(logo, nullptr);
    EXPECT_FALSE(logo->picture.isNull());
    EXPECT_EQ(printedTexts(doc, "lbShortName").value(0), QStringLiteral("COMPANY (short)"));

    // A real document prints the short name and no picture.
    TRowInvoice real;
    QFile::copy(dir.file(QStringLiteral("Standard.bmp")),
                real.file(QStringLiteral("Standard.bmp")));
    real.add("1", "A", "Row", 1, "pcs", 10);
    const PreparedDocument invoice = real.prepare();
    EXPECT_TRUE(printed(invoice, "lbShortName"));
    EXPECT_TRUE(firstPlaced(invoice, "Logga")->picture.isNull());
}

TEST_F(TryInvoiceTest, InstalledItIsTheTestPrintTheSettingsWindowsAskFor) {
    const printing::TestPrintHandler before = printing::setTestPrintHandler(nullptr);
    printing::installTryInvoice();
    ModalScript modal;
    PreparedDocument shown;
    modal.on(QStringLiteral("ReportPreview"),
             [&shown](QWidget* p) { shown = static_cast<PreviewWindow*>(p)->document(); });
    printing::TestPrintRequest request;
    request.source = printing::TestPrintRequest::Source::DesignSelection;
    request.designFile = shippedDesign(QStringLiteral("Heading"));
    printing::runTestPrint(request);
    printing::setTestPrintHandler(before);
    EXPECT_EQ(modal.shown(), QStringList{QStringLiteral("ReportPreview")});
    EXPECT_EQ(printedTexts(shown, "lbDocument").value(0), QStringLiteral("Test Invoice"));
    EXPECT_EQ(printedTexts(shown, "dbDescription").size(), 5);
}
