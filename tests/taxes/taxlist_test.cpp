#include "taxesfixture.h"

#include "report/preview.h"
#include "report/report.h"
#include "report/units.h"
#include "service/service.h"
#include "taxes/tfmqrtaxprint.h"
#include "taxes/tfmtaxes.h"
#include "taxes/tfmvatreg.h"
#include "ui/dbcontrols.h"

#include "support/layoutcheck.h"

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace report;

namespace {

// Opens the tax register, chooses "Print" and returns the pages the preview showed; also
// tells whether the register was hidden meanwhile.
struct PrintRun {
    PreparedDocument document;
    bool previewShown = false;
    bool registerHidden = false;
    bool registerVisibleAfter = false;
};

PrintRun printFromRegister() {
    PrintRun run;
    ModalScript modal;
    TfmTaxes w(nullptr);
    w.show();
    modal.on(QStringLiteral("ReportPreview"), [&](QWidget* preview) {
        run.previewShown = true;
        run.registerHidden = !w.isVisible();
        if (auto* p = qobject_cast<PreviewWindow*>(preview))
            run.document = p->document();
    });
    w.findChild<QAction*>(QStringLiteral("mnPrint"))->trigger();
    run.registerVisibleAfter = w.isVisible();
    w.close();
    return run;
}

QStringList texts(const PreparedDocument& doc, const QString& name) {
    QStringList out;
    for (const PreparedPage& page : doc.pages)
        for (const PlacedElement& e : page.elements)
            if (e.name == name)
                out << e.text;
    return out;
}

} // namespace

TEST_F(TaxesTest, TaxListShowsTitleCompanyDateAndTaxesInTableOrder) {
    Service::CompanyName = QStringLiteral("Acme Trading Ltd");
    addTaxes({{"Road tax", 3.5}, {"Eco fee", 2}, {"Alcohol duty", 12.25}});
    const PrintRun run = printFromRegister();
    ASSERT_TRUE(run.previewShown);
    EXPECT_TRUE(run.registerHidden);
    EXPECT_TRUE(run.registerVisibleAfter);
    const PreparedDocument& doc = run.document;
    ASSERT_EQ(doc.pageCount(), 1);
    const PreparedPage& page = doc.pages[0];
    EXPECT_EQ(doc.paperSize, PaperSize::A4);
    EXPECT_EQ(doc.orientation, Orientation::Portrait);

    const PlacedElement* title = page.find(QStringLiteral("lbTitle"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text, QStringLiteral("Taxes"));
    EXPECT_TRUE(title->font.bold);
    EXPECT_TRUE(title->alignment & Qt::AlignHCenter);
    const double pageWidth = page.size.width();
    const double bandCentre =
        mmToUnits(Service::LeftMargin) +
        (pageWidth - mmToUnits(Service::LeftMargin + Service::RightMargin)) / 2;
    EXPECT_NEAR(title->rect.center().x(), bandCentre, 1);

    const PlacedElement* company = page.find(QStringLiteral("lbCompanyName"));
    const PlacedElement* date = page.find(QStringLiteral("sysDate"));
    ASSERT_TRUE(company && date);
    EXPECT_EQ(company->text, QStringLiteral("Acme Trading Ltd"));
    EXPECT_TRUE(company->alignment & Qt::AlignRight);
    EXPECT_TRUE(date->alignment & Qt::AlignRight);
    EXPECT_NEAR(company->rect.right(), pageWidth - mmToUnits(Service::RightMargin), 1);
    EXPECT_NEAR(date->rect.right(), company->rect.right(), 0.01);
    EXPECT_GE(date->rect.top(), company->rect.bottom());
    EXPECT_EQ(date->text, QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    EXPECT_EQ(texts(doc, QStringLiteral("lbUsed")), QStringList({"(used in invoicing)"}));

    // The rule closes the title band.
    const PlacedElement* band = page.find(QStringLiteral("BandTitle"));
    const PlacedElement* rule = page.find(QStringLiteral("shTitleRule"));
    ASSERT_TRUE(band && rule);
    EXPECT_NEAR(rule->rect.bottom(), band->rect.bottom(), 0.01);
    EXPECT_NEAR(rule->rect.width(), band->rect.width(), 0.01);

    EXPECT_EQ(texts(doc, QStringLiteral("lbDescription")), QStringList({"Description"}));
    EXPECT_EQ(texts(doc, QStringLiteral("lbPercent")), QStringList({"%"}));
    EXPECT_EQ(texts(doc, QStringLiteral("dbDescription")),
              QStringList({"Road tax", "Eco fee", "Alcohol duty"}));
    EXPECT_EQ(texts(doc, QStringLiteral("dbPercent")), QStringList({"3.5", "2", "12.25"}));
    // Each row below the one before, all below the column header.
    double last = page.find(QStringLiteral("lbDescription"))->rect.bottom();
    for (const PlacedElement& e : page.elements)
        if (e.name == QLatin1String("dbDescription")) {
            EXPECT_GE(e.rect.top(), last);
            last = e.rect.bottom();
        }
    // Without Logo.bmp the picture is empty.
    const PlacedElement* logo = page.find(QStringLiteral("Logga"));
    ASSERT_NE(logo, nullptr);
    EXPECT_TRUE(logo->picture.isNull());
}

TEST_F(TaxesTest, TaxListPaperFollowsTheCountryAndMarginsTheServiceGlobals) {
    Service::TopMargin = 12;
    Service::LeftMargin = 25;
    Service::Country = QStringLiteral("US");
    PreparedDocument doc = printFromRegister().document;
    EXPECT_EQ(doc.paperSize, PaperSize::Letter);
    EXPECT_NEAR(doc.pageSizeMm.width(), 215.9, 0.01);
    EXPECT_NEAR(doc.pageSizeMm.height(), 279.4, 0.01);
    ASSERT_EQ(doc.pageCount(), 1); // printed even without a tax
    const PlacedElement* band = doc.pages[0].find(QStringLiteral("BandTitle"));
    ASSERT_NE(band, nullptr);
    EXPECT_NEAR(band->rect.left(), mmToUnits(25), 0.01);
    EXPECT_NEAR(band->rect.top(), mmToUnits(12), 0.01);
    EXPECT_TRUE(texts(doc, QStringLiteral("dbDescription")).isEmpty());

    for (const char* country : {"CA", "GB", "us", ""}) {
        Service::Country = QLatin1String(country);
        TfmqrTaxPrint form(nullptr);
        doc = form.qrTaxPrint->prepare();
        EXPECT_EQ(doc.paperSize, PaperSize::A4) << country;
        EXPECT_NEAR(doc.pageSizeMm.width(), 210, 0.01);
        EXPECT_NEAR(doc.pageSizeMm.height(), 297, 0.01);
    }
}

TEST_F(TaxesTest, LongDescriptionsAndCompanyNamesStayInsideTheirPlace) {
    Service::CompanyName = QStringLiteral(
        "Acme Trading, Import, Export and Distribution Company of the Northern Counties Limited");
    const QString longDescription = QStringLiteral(
        "Environmental charge on packaging made of mixed materials that cannot be recycled here");
    addTaxes({{longDescription, 3.5}, {"Eco fee", 2}});
    QImage logo(3000, 3000, QImage::Format_RGB32);
    logo.fill(Qt::blue);
    ASSERT_TRUE(logo.save(dir.file(QStringLiteral("Logo.bmp")), "BMP"));
    TfmqrTaxPrint form(nullptr);
    db::Table taxes;
    taxes.setDatabaseName(dir.path());
    taxes.setTableName(QStringLiteral("Taxes"));
    taxes.Open();
    form.setDataSet(&taxes);
    form.setCompanyName(Service::CompanyName);
    const PreparedDocument doc = form.qrTaxPrint->prepare();
    const QStringList problems = textsOutOfPlace(*form.qrTaxPrint, doc);
    EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join('\n'));
    // The whole description prints, in more than one line; the next tax follows below it.
    const PlacedElement* first = doc.pages[0].find(QStringLiteral("dbDescription"));
    ASSERT_NE(first, nullptr);
    QStringList words;
    for (const TextRun& run : first->runs)
        words << run.text;
    EXPECT_EQ(words.join(' '), longDescription);
    EXPECT_GE(first->runs.size(), 2u);
    // The square logo keeps its shape in its box.
    const PlacedElement* placed = doc.pages[0].find(QStringLiteral("Logga"));
    EXPECT_NEAR(placed->rect.width(), placed->rect.height(), 0.01);
}

TEST_F(TaxesTest, TaxListShowsTheLogoOnlyWhenLogoBmpExists) {
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::blue);
    ASSERT_TRUE(logo.save(dir.file(QStringLiteral("Logo.bmp")), "BMP"));
    const PreparedDocument doc = printFromRegister().document;
    ASSERT_EQ(doc.pageCount(), 1);
    const PlacedElement* placed = doc.pages[0].find(QStringLiteral("Logga"));
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->picture.size(), QSize(40, 20));

    // A file that is no picture leaves the logo empty too.
    dir.writeFile(QStringLiteral("Logo.bmp"), "not a picture");
    TfmqrTaxPrint form(nullptr);
    const PreparedDocument broken = form.qrTaxPrint->prepare();
    EXPECT_TRUE(broken.pages[0].find(QStringLiteral("Logga"))->picture.isNull());
}

TEST_F(TaxesTest, PrintingLeavesTheRegisterOnTheTaxItShowed) {
    addTaxes({{"A", 1}, {"B", 2}, {"C", 3}});
    ModalScript modal;
    TfmTaxes w(nullptr);
    w.show();
    auto* description = w.findChild<QLineEdit*>(QStringLiteral("dbedDescription"));
    auto* table = w.findChild<db::Table*>(QStringLiteral("dbTaxes"));
    ASSERT_TRUE(description && table);
    table->Next();
    EXPECT_EQ(description->text(), QStringLiteral("B"));
    w.findChild<QAction*>(QStringLiteral("mnPrint"))->trigger();
    EXPECT_EQ(modal.shown(), QStringList({QStringLiteral("ReportPreview")}));
    EXPECT_EQ(description->text(), QStringLiteral("B"));
    w.close();
}

// MEROVIA_RENDER_DIR=<dir> writes pictures of both registers and of the tax list preview,
// for a look at them on a real display (xvfb-run with QT_QPA_PLATFORM=xcb).
TEST_F(TaxesTest, RendersTheWindowsWhenAsked) {
    const QString out = QString::fromLocal8Bit(qgetenv("MEROVIA_RENDER_DIR"));
    if (out.isEmpty())
        GTEST_SKIP() << "MEROVIA_RENDER_DIR not set";
    QString error;
    ASSERT_TRUE(db::fillDemo(dir.path(), &error)) << error.toStdString();
    Service::CompanyName = QStringLiteral("Acme Trading Ltd");
    QImage logo(300, 150, QImage::Format_RGB32);
    logo.fill(QColor(30, 90, 160));
    logo.save(dir.file(QStringLiteral("Logo.bmp")), "BMP");
    auto grab = [&](QWidget* w, const char* name) {
        w->show();
        w->raise();
        w->activateWindow();
        QTest::qWait(200);
        EXPECT_TRUE(w->grab().save(out + QLatin1Char('/') + QLatin1String(name)));
    };
    {
        TfmTaxes w(nullptr);
        grab(&w, "taxes.png");
        ModalScript modal;
        modal.on(QStringLiteral("ReportPreview"), [&](QWidget* p) {
            p->resize(900, 1000);
            grab(p, "taxlist.png");
        });
        w.findChild<QAction*>(QStringLiteral("mnPrint"))->trigger();
        // A new tax with a refused rate: its own row, the boxes on it.
        w.findChild<QPushButton*>(QStringLiteral("btnNy"))->click();
        auto* description = w.findChild<ui::DBEdit*>(QStringLiteral("dbedDescription"));
        auto* percent = w.findChild<ui::DBEdit*>(QStringLiteral("dbedPercent"));
        QTest::keyClicks(description, QStringLiteral("Road toll"));
        percent->setFocus();
        QTest::keyClicks(percent, QStringLiteral("abc"));
        percent->commit();
        grab(&w, "taxes-refused.png");
        QTest::keyClick(percent, Qt::Key_Escape);
        w.close();
    }
    TfmVATReg v(nullptr);
    grab(&v, "vat.png");
    v.close();
}
