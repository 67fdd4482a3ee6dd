#include "printing/invoicelayout.h"
#include "printing/tfmqrinvoice.h"
#include "report/painter.h"
#include "report/report.h"
#include "report/units.h"
#include "service/service.h"

#include "sample.h"
#include "support/testenv.h"

#include <QComboBox>
#include <QWidget>

#include <gtest/gtest.h>

using namespace report;

namespace {

QString caption(Report& r, const char* name) {
    auto* l = r.element<Label>(QLatin1String(name));
    return l ? l->caption() : QStringLiteral("<missing>");
}

// The shipped design file of that base name.
QString shippedDesign(const QString& base) {
    return Service::filePath(Service::shippedDataDir(), base + ".ini");
}

} // namespace

TEST(InvoiceLayout, HasEveryBandAndElementWithItsCaptionAndSize) {
    TempDataDir dir;
    TfmqrInvoice fm(nullptr, "Invoice");
    Report& r = *fm.qrInvoice;
    EXPECT_EQ(r.objectName(), "qrInvoice");
    const struct {
        const char* name;
        BandKind kind;
    } bands[] = {{"BandHeading", BandKind::Title},       {"BandNewPage", BandKind::PageHeader},
                 {"BandTitles", BandKind::ColumnHeader}, {"BandItems", BandKind::Detail},
                 {"BandLongDesc", BandKind::SubDetail},  {"BandTotals", BandKind::Summary},
                 {"BandFooter", BandKind::PageFooter}};
    for (const auto& b : bands) {
        ASSERT_NE(r.bandNamed(b.name), nullptr) << b.name;
        EXPECT_EQ(r.bandNamed(b.name)->kind(), b.kind) << b.name;
    }
    const char* const names[] = {"Logga",
                                 "lbShortName",
                                 "lbDocument",
                                 "lbInvoiceNo",
                                 "lbCustNo1",
                                 "lbCustNo2",
                                 "lbCustomer",
                                 "lbCust",
                                 "lbAddressRow1",
                                 "lbAddressRow2",
                                 "lbAddressRow3",
                                 "lbCustVAT1",
                                 "lbCustVAT2",
                                 "lbDate1",
                                 "lbDate2",
                                 "lbDueDate1Head",
                                 "lbDueDate2Head",
                                 "lbYourRef1",
                                 "lbYourRef2",
                                 "lbOurRef1",
                                 "lbOurRef2",
                                 "lbCompanyNameHead",
                                 "lbCompanyAddressHead",
                                 "lbCompanyCityHead",
                                 "lbCompanyEmailHead",
                                 "lbCompanyVATno1Head",
                                 "lbCompanyVATno2Head",
                                 "lbPhone1Head",
                                 "lbCompanyPhoneHead",
                                 "lbFax1Head",
                                 "lbCompanyFaxHead",
                                 "lbBank1Head",
                                 "mCompanyBankHead",
                                 "lbItem",
                                 "lbCode",
                                 "lbDescription",
                                 "lbQty",
                                 "lbUnit",
                                 "lbPrice",
                                 "lbDisc",
                                 "lbVAT",
                                 "lbSum",
                                 "dbItem",
                                 "lbCode2",
                                 "dbDescription",
                                 "dbQty",
                                 "dbUnit",
                                 "dbPrice",
                                 "dbDisc",
                                 "dbVAT",
                                 "dbSum",
                                 "QRDBText1",
                                 "lbTerms1",
                                 "lbTerms2",
                                 "lbTerms3",
                                 "lbDueDate1",
                                 "lbDueDate2",
                                 "lbSum1",
                                 "lbSum2",
                                 "lbVAT1",
                                 "lbVAT2",
                                 "lbTotal1",
                                 "lbTotal2",
                                 "dataFreeText",
                                 "lbCompanyName",
                                 "lbCompanyAddress",
                                 "lbCompanyCity",
                                 "lbPhone1",
                                 "lbCompanyPhone",
                                 "lbFax1",
                                 "lbCompanyFax",
                                 "lbCompanyEmail",
                                 "lbCompanyVATno1",
                                 "lbCompanyVATno2",
                                 "lbBank1",
                                 "mCompanyBank",
                                 "lbInvNoP1",
                                 "lbInvNoP2",
                                 "lbPage",
                                 "sysPageNo",
                                 "shItemFrame"};
    for (const char* name : names)
        EXPECT_NE(r.element(name), nullptr) << name;
    EXPECT_NE(fm.findChild<Element*>("lbCust"), nullptr);

    // Built-in captions (no language file).
    const char* const captions[][2] = {{"lbCustNo1", "Customer no:"},
                                       {"lbCustomer", "Customer:"},
                                       {"lbCustVAT1", "VAT No."},
                                       {"lbDate1", "Invoice date:"},
                                       {"lbYourRef1", "Your reference:"},
                                       {"lbOurRef1", "Our reference:"},
                                       {"lbItem", "Item"},
                                       {"lbCode", "Code"},
                                       {"lbDescription", "Description"},
                                       {"lbQty", "Qty"},
                                       {"lbUnit", "Unit"},
                                       {"lbPrice", "Price"},
                                       {"lbDisc", "-%"},
                                       {"lbVAT", "VAT %"},
                                       {"lbSum", "Sum"},
                                       {"lbTerms1", "Terms:"},
                                       {"lbTerms3", "days net."},
                                       {"lbDueDate1", "Due date:"},
                                       {"lbSum1", "Sum:"},
                                       {"lbTotal1", "Total:"},
                                       {"lbPhone1", "Phone"},
                                       {"lbFax1", "Fax."},
                                       {"lbBank1", "Bank"},
                                       {"lbPage", "Page:"}};
    for (const auto& c : captions)
        EXPECT_EQ(caption(r, c[0]), c[1]) << c[0];

    EXPECT_EQ(r.element("Logga")->rect().size(), QSizeF(228, 114));
    EXPECT_TRUE(r.element<Picture>("Logga")->stretch());
    for (const char* name : {"lbDocument", "lbInvoiceNo"}) {
        EXPECT_EQ(r.element(name)->width(), 200) << name;
        EXPECT_EQ(r.element<Label>(name)->alignment(), Qt::AlignHCenter) << name;
    }
    EXPECT_EQ(r.element("lbTerms2")->width(), 20);
    EXPECT_EQ(r.element("mCompanyBankHead")->height(), 57);
    auto* nameHead = r.element<Label>("lbCompanyNameHead");
    EXPECT_EQ(nameHead->width(), 228);
    EXPECT_TRUE(nameHead->wordWrap() && nameHead->autoStretch());
    Band* longDesc = r.bandNamed("BandLongDesc");
    EXPECT_EQ(longDesc->height(), 21);
    EXPECT_FALSE(longDesc->isEnabled());
    EXPECT_EQ(r.element("QRDBText1")->left(), 5);
    EXPECT_NEAR(r.element("QRDBText1")->width(), longDesc->width() - 10, 1e-9);
    EXPECT_EQ(r.bandNamed("BandTitles")->color(), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(r.element<Shape>("shItemFrame")->penWidth(), 2);
    for (const char* name : {"lbQty", "lbUnit", "lbPrice", "lbDisc", "lbVAT", "lbSum"})
        EXPECT_EQ(r.element<Label>(name)->alignment(), Qt::AlignHCenter) << name;
    for (const char* name : {"dbQty", "dbUnit", "dbPrice", "dbDisc", "dbVAT", "dbSum"})
        EXPECT_EQ(r.element<TextElement>(name)->alignment(), Qt::AlignRight) << name;
    EXPECT_EQ(r.element<TextElement>("dbItem")->alignment(), Qt::AlignLeft);
    EXPECT_EQ(r.element<DBText>("dbVAT")->dataField(), "VAT %");
    EXPECT_EQ(r.element<DBText>("dbDisc")->dataField(), "Discount");

    EXPECT_FALSE(r.pageHeaderOnFirstPage());
    EXPECT_TRUE(r.pageFooterOnLastPage());
    EXPECT_TRUE(r.printIfEmpty());
    EXPECT_NEAR(fm.pageScale(), 4.535, 0.001);
}

TEST(InvoiceLayout, FooterFromCompanyDataAndVatSwitch) {
    TempDataDir dir;
    setSampleCompany();
    Service::CompanyState = "Avon";
    {
        TfmqrInvoice fm(nullptr, "Invoice");
        Report& r = *fm.qrInvoice;
        EXPECT_EQ(caption(r, "lbCompanyName"), "Northwind Trading Ltd");
        EXPECT_EQ(caption(r, "lbCompanyCity"), "Bristol, Avon, BS1 4QA");
        EXPECT_EQ(caption(r, "lbCompanyVATno2"), "GB 123 4567 89");
        EXPECT_EQ(r.element<Memo>("mCompanyBank")->lines().size(), 3);
        EXPECT_EQ(r.bandNamed("BandFooter")->height(), 70);
    }
    Service::CompanyState.clear();
    Service::VAT = false;
    TfmqrInvoice fm(nullptr, "Invoice");
    EXPECT_EQ(caption(*fm.qrInvoice, "lbCompanyCity"), "Bristol, BS1 4QA");
    EXPECT_EQ(fm.qrInvoice->bandNamed("BandFooter")->height(), 33);
}

TEST(InvoiceLayout, DocumentKindComesFromTheOwnersChoice) {
    TempDataDir dir;
    QWidget editor;
    auto* kind = new QComboBox(&editor);
    kind->setObjectName("cbDocument");
    kind->addItems({"Invoice", "Receipt"});
    kind->setCurrentIndex(1);
    TfmqrInvoice fm(&editor);
    EXPECT_EQ(fm.documentKind(), "Receipt");
    EXPECT_EQ(printing::dateCaptionForKind("Receipt"), "Date");
    EXPECT_EQ(printing::dateCaptionForKind("Credit invoice"), "Invoice date");
    EXPECT_EQ(printing::dateCaptionForKind("Invoice"), "");
}

TEST(InvoiceLayout, ItemFrameEnclosesTheRowArea) {
    TempDataDir dir;
    // The service's margins differ from the page's; the page's count.
    Service::TopMargin = 10;
    Service::BottomMargin = 10;
    SampleInvoice s;
    Report& r = s.r();
    const double scale = s.fm->pageScale();
    printing::placeItemFrame(r, 275, scale);
    const QRectF frame = r.element("shItemFrame")->rect();
    EXPECT_EQ(frame.top(), std::trunc(20 * scale + 275));
    EXPECT_EQ(frame.height(), std::trunc(r.pageHeightUnits() - 116 - 35 * scale - 275 - 33));
    EXPECT_EQ(frame.left(), r.bandNamed("BandItems")->left());
    const PreparedDocument doc = s.prepare();
    EXPECT_EQ(doc.pages.at(0).find("shItemFrame")->rect, frame);
}

TEST(InvoiceLayout, LongInvoiceContinuesOnExtraPages) {
    TempDataDir dir;
    setSampleCompany();
    SampleInvoice s("Invoice", 60);
    const PreparedDocument doc = s.prepare();
    ASSERT_GE(doc.pageCount(), 2);
    EXPECT_EQ(doc.pages[0].find("BandNewPage"), nullptr);
    EXPECT_NE(doc.pages[0].find("BandHeading"), nullptr);
    for (size_t i = 1; i < doc.pages.size(); ++i) {
        EXPECT_EQ(doc.pages[i].find("BandHeading"), nullptr);
        EXPECT_EQ(doc.pages[i].find("sysPageNo")->text, QString::number(i + 1));
        EXPECT_EQ(doc.pages[i].find("lbInvNoP1")->text, "Invoice");
    }
    for (const PreparedPage& page : doc.pages)
        EXPECT_NE(page.find("BandFooter"), nullptr) << page.number;
    EXPECT_NE(doc.pages.back().find("BandTotals"), nullptr);
}

TEST(InvoiceLayout, GoldenLayouts) {
    struct Case {
        const char* golden;
        const char* design; // empty: no design file
    };
    const Case cases[] = {
        {"defaults", ""}, {"classic", "Classic"}, {"heading", "Heading"}, {"letter", "Letter"}};
    for (const Case& c : cases) {
        TempDataDir dir;
        setSampleCompany();
        Service::DesignFile = *c.design ? shippedDesign(c.design) : dir.file("None.ini");
        SampleInvoice s;
        s.fm->setFreeText("{\\rtf1\\ansi Thank you for your order. \\b Payment within 30 days."
                          "\\b0\\par Goods remain our property until paid in full.\\par}");
        const PreparedDocument doc = s.prepare();
        const QString diff = compareGolden(c.golden, dumpPrepared(doc));
        EXPECT_TRUE(diff.isEmpty()) << c.golden << "\n" << diff.toStdString();
        if (const QByteArray out = qgetenv("MEROVIA_RENDER_DIR"); !out.isEmpty())
            renderPageImage(doc.pages.at(0), 110)
                .save(QString::fromLocal8Bit(out) + "/invoice_" + c.golden + ".png");
    }
}

TEST(InvoiceLayout, RenderedInvoiceShowsItsTexts) {
    TempDataDir dir;
    setSampleCompany();
    Service::DesignFile = shippedDesign("Classic");
    SampleInvoice s;
    const PreparedDocument doc = s.prepare();
    const PreparedPage& page = doc.pages.at(0);
    const double dpi = 96, scale = dpi / kUnitsPerInch;
    const QImage image = renderPageImage(page, dpi);
    for (const char* name : {"lbDocument", "lbCust", "lbTotal2", "lbCompanyName", "lbSum"}) {
        const PlacedElement* e = page.find(name);
        ASSERT_NE(e, nullptr) << name;
        const QRect px = QRectF(e->rect.topLeft() * scale, e->rect.size() * scale).toAlignedRect();
        int dark = 0;
        for (int y = px.top(); y <= px.bottom(); ++y)
            for (int x = px.left(); x <= px.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        EXPECT_GT(dark, 10) << name;
    }
}
