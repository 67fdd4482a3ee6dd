#include "printing/designfile.h"
#include "printing/invoicelayout.h"
#include "report/report.h"
#include "service/service.h"
#include "service/settingsfile.h"

#include "sample.h"
#include "support/testenv.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace report;
using printing::DesignFile;

namespace {

// The invoice layout with a design applied from the given file text (no file when null).
struct Designed {
    explicit Designed(const QByteArray& content = QByteArray(), int bottomDefault = 15,
                      const QString& country = "GB") {
        buildInvoiceLayout();
        const QString path =
            content.isNull() ? dir.file("Missing.ini") : dir.writeFile("Design.ini", content);
        DesignFile design(path);
        design.setCountry(country);
        design.applyTo(r, bottomDefault);
    }
    void buildInvoiceLayout() { printing::buildInvoiceLayout(r); }
    Element* e(const char* name) const { return r.element(QLatin1String(name)); }
    TextElement* t(const char* name) const { return r.element<TextElement>(QLatin1String(name)); }
    Band* band(const char* name) const { return r.bandNamed(QLatin1String(name)); }

    TempDataDir dir;
    Report r;
};

} // namespace

TEST(DesignFile, MissingFileGivesTheDefaults) {
    Designed d;
    EXPECT_EQ(d.r.paperSize(), PaperSize::A4);
    EXPECT_EQ(d.r.orientation(), Orientation::Portrait);
    EXPECT_EQ(d.r.leftMargin(), 20);
    EXPECT_EQ(d.r.rightMargin(), 10);
    EXPECT_EQ(d.r.topMargin(), 20);
    EXPECT_EQ(d.r.bottomMargin(), 15);
    EXPECT_EQ(d.band("BandHeading")->height(), 275);
    EXPECT_FALSE(d.e("lbCustomer")->isEnabled());
    EXPECT_TRUE(d.e("lbCust")->isEnabled());
    EXPECT_NEAR(d.band("BandItems")->width(), 816.4, 0.1);

    EXPECT_EQ(d.e("lbDocument")->rect(), QRectF(522, 4, 200, d.e("lbDocument")->height()));
    EXPECT_TRUE(d.t("lbDocument")->font().bold);
    EXPECT_EQ(d.t("lbDocument")->font().size, 14);
    EXPECT_TRUE(d.t("lbCustomer")->font().italic);
    EXPECT_EQ(d.t("lbCust")->font().size, 12);
    EXPECT_EQ(d.t("lbCustNo1")->font().family, "Arial");
    EXPECT_EQ(d.e("Logga")->rect(), QRectF(0, 0, 228, 114));
    // Column titles in a chain from lbItem, 5 units apart; row elements under them.
    EXPECT_EQ(d.e("lbItem")->left(), 2);
    EXPECT_EQ(d.e("lbCode")->left(), 2 + 35 + 5);
    EXPECT_EQ(d.e("lbDescription")->left(), 42 + 100 + 5);
    EXPECT_EQ(d.e("lbSum")->left() + d.e("lbSum")->width(), 2 + 770 + 8 * 5);
    EXPECT_TRUE(d.t("lbQty")->font().bold);
    EXPECT_EQ(d.t("lbQty")->font().size, 8);
    EXPECT_EQ(d.e("dbQty")->left(), d.e("lbQty")->left());
    EXPECT_EQ(d.e("dbQty")->width(), 65);
    EXPECT_FALSE(d.t("dbQty")->font().bold);
    EXPECT_EQ(d.band("BandTitles")->height(), 30);
    EXPECT_EQ(d.band("BandItems")->height(), 28);
    EXPECT_EQ(d.band("BandTotals")->height(), 116);
    EXPECT_EQ(d.e("dataFreeText")->rect(), QRectF(5, 55, 600, 56));
    EXPECT_TRUE(d.band("BandFooter")->isEnabled());
    EXPECT_EQ(d.e("mCompanyBank")->rect(), QRectF(625, 3, 200, 56));
    EXPECT_EQ(d.t("lbCompanyName")->font().size, 8);
    EXPECT_EQ(d.band("BandNewPage")->height(), 48);
    EXPECT_EQ(d.e("lbPage")->left(), 300);
    // Fixed widths where the country is not "CA".
    EXPECT_EQ(d.e("lbCompanyVATno1")->width(), 60);
    EXPECT_EQ(d.e("lbCompanyVATno1Head")->width(), 60);
    EXPECT_EQ(d.e("lbVAT1")->width(), 53);

    Designed testPrint(QByteArray(), 10);
    EXPECT_EQ(testPrint.r.bottomMargin(), 10);
}

TEST(DesignFile, PaperAndOrientationTexts) {
    struct Case {
        const char* text;
        PaperSize paper;
        Orientation orientation;
    };
    const Case cases[] = {
        {"[Page]\nPaperSize=A4\nOrientation=poPortrait\n", PaperSize::A4, Orientation::Portrait},
        {"[page]\npapersize=Letter\norientation=poLandscape\n", PaperSize::Letter,
         Orientation::Landscape},
        {"[Page]\nPaperSize=A5\nOrientation=sideways\n", PaperSize::Letter, Orientation::Landscape},
        {"[Page]\nPaperSize=a4\nOrientation=poportrait\n", PaperSize::Letter,
         Orientation::Landscape},
        {"[Page]\nPaperSize=\n", PaperSize::Letter, Orientation::Portrait},
    };
    for (const Case& c : cases) {
        Designed d(c.text);
        EXPECT_EQ(d.r.paperSize(), c.paper) << c.text;
        EXPECT_EQ(d.r.orientation(), c.orientation) << c.text;
    }
    Designed letter("[Page]\nPaperSize=Letter\nLeftMargin=15\nRightMargin=15\nBottomMargin=12\n");
    EXPECT_NEAR(letter.r.bandWidth(), (215.9 - 30) * 4.5354, 0.1);
    EXPECT_EQ(letter.r.bottomMargin(), 12);
}

TEST(DesignFile, BadValuesGiveTheirDefaults) {
    Designed d("[Head]\n"
               "lbDocument.Top=abc\nlbDocument.Left=12.5\nlbDocument.Font.Size=0\n"
               "lbDocument.Enabled=yes\nlbDocument.Font.Style=[fsItalic, fsUnderline, fsWide]\n"
               "lbCust.Font.Name=\nlbCust.Font.Size=-3\nBandHeading.Height=\n"
               "LBINVOICENO.TOP=40\nlbInvoiceNo.Enabled=2\n"
               "[Items]\nBandItems.Height=1e3\n");
    EXPECT_EQ(d.e("lbDocument")->top(), 4);
    EXPECT_EQ(d.e("lbDocument")->left(), 522);
    EXPECT_EQ(d.t("lbDocument")->font().size, 14);
    EXPECT_TRUE(d.e("lbDocument")->isEnabled());
    EXPECT_FALSE(d.t("lbDocument")->font().bold);
    EXPECT_TRUE(d.t("lbDocument")->font().italic);
    EXPECT_TRUE(d.t("lbDocument")->font().underline);
    EXPECT_EQ(d.t("lbCust")->font().family, "Arial");
    EXPECT_EQ(d.t("lbCust")->font().size, 12);
    EXPECT_EQ(d.band("BandHeading")->height(), 275);
    EXPECT_EQ(d.e("lbInvoiceNo")->top(), 40);
    EXPECT_TRUE(d.e("lbInvoiceNo")->isEnabled());
    EXPECT_EQ(d.band("BandItems")->height(), 28);
}

TEST(DesignFile, AFontNameNoFontCanHaveIsArial) {
    // A damaged file once held a name of 100 000 letters; every text measured with it looked
    // it up in the font database and the invoice took half a minute to lay out.
    const QByteArray name(100000, 'F');
    Designed d("[Items]\ndbDescription.Font.Name=" + name +
               "\n[Head]\nlbCust.Font.Name=" + QByteArray(31, 'G') + "\n");
    EXPECT_EQ(d.t("dbDescription")->font().family, "Arial");
    EXPECT_EQ(d.t("lbCust")->font().family, QString(31, 'G'));
}

TEST(DesignFile, TotalsBandHeightIsReadOnlyFromItems) {
    Designed inTotals("[Totals]\nBandTotals.Height=200\n");
    EXPECT_EQ(inTotals.band("BandTotals")->height(), 116);
    Designed inItems("[Items]\nBandTotals.Height=200\n");
    EXPECT_EQ(inItems.band("BandTotals")->height(), 200);
}

TEST(DesignFile, FollowersStandBesideTheirCaptionsAndShareTheirState) {
    Designed d("[Head]\nlbCustNo1.Enabled=0\nlbCustNo1.Font.Size=12\nlbCustNo1.Font.Style=fsBold\n"
               "lbDate1.Top=100\nlbDate1.Left=7\n"
               "[Footer]\nlbPhone1.Enabled=0\nlbFax1.Font.Name=Times New Roman\n"
               "[Totals]\nlbTerms1.Enabled=0\nlbTerms1.Top=60\nlbTerms1.Font.Style=fsItalic\n"
               "[Moved footer]\nlbBank1Head.Top=40\nmCompanyBankHead.Width=150\n");
    EXPECT_FALSE(d.e("lbCustNo2")->isEnabled());
    EXPECT_EQ(d.t("lbCustNo2")->font().size, 12);
    EXPECT_TRUE(d.t("lbCustNo2")->font().bold);
    EXPECT_EQ(d.e("lbCustNo2")->top(), d.e("lbCustNo1")->top());
    EXPECT_NEAR(d.e("lbCustNo2")->left(), 525 + d.e("lbCustNo1")->width() + 10, 1e-9);
    EXPECT_EQ(d.e("lbDate2")->top(), 100);
    EXPECT_NEAR(d.e("lbDate2")->left(), 7 + d.e("lbDate1")->width() + 5, 1e-9);
    EXPECT_FALSE(d.e("lbCompanyPhone")->isEnabled());
    EXPECT_TRUE(d.e("lbCompanyFax")->isEnabled());
    EXPECT_EQ(d.t("lbCompanyFax")->font().family, "Times New Roman");
    // lbTerms3 follows lbTerms2 (and so lbTerms1), but 30 units from lbTerms2's left edge.
    EXPECT_FALSE(d.e("lbTerms2")->isEnabled());
    EXPECT_FALSE(d.e("lbTerms3")->isEnabled());
    EXPECT_EQ(d.e("lbTerms3")->top(), 60);
    EXPECT_TRUE(d.t("lbTerms3")->font().italic);
    EXPECT_NEAR(d.e("lbTerms3")->left(), d.e("lbTerms2")->left() + 30, 1e-9);
    EXPECT_EQ(d.e("lbTerms2")->width(), 20);
    EXPECT_EQ(d.e("mCompanyBankHead")->top(), 40);
    EXPECT_EQ(d.e("mCompanyBankHead")->width(), 150);
    EXPECT_EQ(d.e("mCompanyBankHead")->height(), 57);
    EXPECT_NEAR(d.e("mCompanyBankHead")->left(), 628 + d.e("lbBank1Head")->width() + 5, 1e-9);
    EXPECT_EQ(d.e("sysPageNo")->top(), d.e("lbPage")->top());
}

TEST(DesignFile, WiderDescriptionMovesLaterColumns) {
    Designed before;
    Designed wider("[Item titles]\nlbDescription.Width=335\nlbItem.Left=10\nlbItem.Top=3\n"
                   "[Items]\ndbItem.Top=4\n");
    EXPECT_EQ(wider.e("lbDescription")->width(), 335);
    EXPECT_EQ(wider.e("lbCode")->left(), before.e("lbCode")->left() + 8);
    EXPECT_EQ(wider.e("lbCode")->top(), 3);
    for (const char* name : {"lbQty", "lbUnit", "lbPrice", "lbDisc", "lbVAT", "lbSum"})
        EXPECT_EQ(wider.e(name)->left(), before.e(name)->left() + 108) << name;
    for (const char* name : {"dbQty", "dbUnit", "dbPrice", "dbDisc", "dbVAT", "dbSum"}) {
        EXPECT_EQ(wider.e(name)->left(), before.e(name)->left() + 108) << name;
        EXPECT_EQ(wider.e(name)->top(), 4) << name;
    }
    EXPECT_EQ(wider.e("dbDescription")->width(), 335);
    EXPECT_EQ(wider.e("lbCode2")->left(), wider.e("lbCode")->left());
}

TEST(DesignFile, CanadaHasWiderFixedCaptions) {
    Designed ca(QByteArray(), 15, "CA");
    EXPECT_EQ(ca.e("lbCompanyVATno1")->width(), 80);
    EXPECT_EQ(ca.e("lbCompanyVATno1Head")->width(), 80);
    EXPECT_EQ(ca.e("lbVAT1")->width(), 75);
    // The followers are placed after the widths are set.
    EXPECT_NEAR(ca.e("lbCompanyVATno2")->left(), 350 + 80 + 5, 1e-9);
    EXPECT_NEAR(ca.e("lbCompanyVATno2Head")->left(), 0 + 80 + 5, 1e-9);
    EXPECT_NEAR(ca.e("lbVAT2")->left(), 5 + 75 + 10, 1e-9);
    Designed gb;
    EXPECT_NEAR(gb.e("lbVAT2")->left(), 5 + 53 + 10, 1e-9);
    // A design's font does not change the fixed width.
    Designed big("[Footer]\nlbCompanyVATno1.Font.Size=20\n");
    EXPECT_EQ(big.e("lbCompanyVATno1")->width(), 60);
}

TEST(DesignFile, ShippedDesignsAreListedAndApply) {
    const QString shipped = Service::shippedDataDir();
    SettingsFile list(Service::filePath(shipped, "Design.ini"));
    const QStringList names = list.readSection("Invoice");
    ASSERT_GE(names.size(), 3);
    QStringList bases;
    for (const QString& name : names) {
        const QString base = list.readString("Invoice", name);
        bases << base;
        const QString file = Service::filePath(shipped, base + ".ini");
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    }
    EXPECT_TRUE(bases.contains("Classic"));
    EXPECT_TRUE(bases.contains("Heading"));
    EXPECT_TRUE(bases.contains("Letter"));

    TempDataDir dir;
    auto apply = [&](const QString& base) {
        auto r = std::make_unique<Report>();
        printing::buildInvoiceLayout(*r);
        DesignFile(Service::filePath(shipped, base + ".ini")).applyTo(*r, 15);
        return r;
    };
    auto classic = apply("Classic");
    EXPECT_EQ(classic->paperSize(), PaperSize::A4);
    EXPECT_EQ(classic->bottomMargin(), 15);
    EXPECT_TRUE(classic->bandNamed("BandFooter")->isEnabled());
    for (const QString& name : printing::movedFooterElements())
        EXPECT_FALSE(classic->element(name)->isEnabled()) << name.toStdString();
    auto heading = apply("Heading");
    EXPECT_FALSE(heading->bandNamed("BandFooter")->isEnabled());
    for (const QString& name : printing::movedFooterElements())
        EXPECT_TRUE(heading->element(name)->isEnabled()) << name.toStdString();
    auto letter = apply("Letter");
    EXPECT_EQ(letter->paperSize(), PaperSize::Letter);
    // Its columns still fit between the margins.
    const Element* sum = letter->element("lbSum");
    EXPECT_LE(sum->left() + sum->width(), letter->bandWidth());
}
