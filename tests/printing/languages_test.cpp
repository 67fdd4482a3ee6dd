#include "printing/invoicelayout.h"
#include "printing/languages.h"
#include "printing/tfmqrinvoice.h"
#include "report/report.h"
#include "service/service.h"

#include "sample.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

using namespace report;
using printing::LanguageFile;

namespace {

QString caption(TfmqrInvoice& fm, const char* name) {
    return fm.qrInvoice->element<Label>(QLatin1String(name))->caption();
}

QStringList defaults() {
    QStringList out;
    for (const auto& t : printing::languageTexts())
        out << QLatin1String(t.defaultText);
    return out;
}

const QByteArray kGerman = "[Main]\n"
                           "Current language=Deutsch\n"
                           "Number of languages=2\n"
                           "[LangList]\n0=English\n1=Deutsch\n"
                           "[Deutsch]\n"
                           "Invoice=Rechnung\nTax invoice=Steuerrechnung\nCustomerNo=Kundennummer\n"
                           "InvoiceDate=Rechnungsdatum\nDate=Datum\nVAT=MwSt\nSum=Summe\n"
                           "Page=Seite\nDaysNet=Tage netto\n";

} // namespace

TEST(LanguageFile, MissingFileGivesEnglishDefaults) {
    TempDataDir dir;
    LanguageFile file(dir.path());
    EXPECT_FALSE(file.exists());
    EXPECT_EQ(file.currentLanguage(), "English");
    EXPECT_EQ(file.languages(), QStringList{"English"});
    EXPECT_EQ(file.texts("English"), defaults());
    EXPECT_EQ(file.texts("English").size(), 38);
    EXPECT_EQ(printing::languageTexts()[8].listCaption, QByteArray("Cutomer no"));
}

TEST(LanguageFile, ReadsListsAndFillsGapsWithDefaults) {
    TempDataDir dir;
    dir.writeFile("MRVLang.ini", "[Main]\nCurrent language=Svenska\nNumber of languages=3\n"
                                 "[LangList]\n0=English\n2=Svenska\n"
                                 "[svenska]\ninvoice=Faktura\n");
    LanguageFile file(dir.path());
    EXPECT_EQ(file.languages(), (QStringList{"English", "", "Svenska"}));
    const QStringList texts = file.texts("Svenska");
    EXPECT_EQ(texts[0], "Faktura");
    EXPECT_EQ(texts.mid(1), defaults().mid(1));

    dir.writeFile("MRVLang.ini", "[Main]\nCurrent language=Svenska\nNumber of languages=many\n");
    EXPECT_EQ(LanguageFile(dir.path()).languages(), QStringList{"Svenska"});
    dir.writeFile("MRVLang.ini", "[Main]\nNumber of languages=-4\n");
    EXPECT_EQ(LanguageFile(dir.path()).languages(), QStringList{"English"});
}

TEST(LanguageFile, SavesInTheDescribedOrder) {
    TempDataDir dir;
    LanguageFile file(dir.path());
    QStringList texts = defaults();
    texts[0] = "Faktura";
    ASSERT_TRUE(file.save("Svenska", {"English", "Svenska"}, texts));
    const QString written = QString::fromUtf8(dir.readFile("MRVLang.ini"));
    QStringList expected = {"[Main]",
                            "Current language=Svenska",
                            "Number of languages=2",
                            "",
                            "[LangList]",
                            "0=English",
                            "1=Svenska",
                            "",
                            "[Svenska]"};
    for (const auto& t : printing::languageTexts())
        expected << QLatin1String(t.key) + "=" +
                        (QByteArray(t.key) == "Invoice" ? QString("Faktura")
                                                        : QLatin1String(t.defaultText));
    QStringList lines = written.split('\n', Qt::SkipEmptyParts);
    expected.removeAll("");
    EXPECT_EQ(lines, expected);
    LanguageFile again(dir.path());
    EXPECT_EQ(again.texts("Svenska"), texts);
    EXPECT_EQ(again.languages(), (QStringList{"English", "Svenska"}));
}

TEST(InvoiceLanguage, NoFileKeepsBuiltInCaptionsAndAFileReplacesThem) {
    TempDataDir dir;
    {
        TfmqrInvoice fm(nullptr, "Invoice");
        EXPECT_EQ(caption(fm, "lbCustNo1"), "Customer no:");
        EXPECT_EQ(caption(fm, "lbDueDate1"), "Due date:");
    }
    ASSERT_TRUE(LanguageFile(dir.path()).save("English", {"English"}, defaults()));
    TfmqrInvoice fm(nullptr, "Invoice");
    EXPECT_EQ(caption(fm, "lbCustNo1"), "Customer no");
    EXPECT_EQ(caption(fm, "lbDueDate1"), "Due date");
    EXPECT_EQ(caption(fm, "lbDocument"), "Invoice");
    EXPECT_EQ(caption(fm, "lbVAT"), "VAT %");
    EXPECT_EQ(caption(fm, "lbTerms3"), "days net");
    EXPECT_EQ(caption(fm, "lbDisc"), "-%"); // has no text of its own
}

TEST(InvoiceLanguage, TitleByUpperCasedKindAndDateRule) {
    TempDataDir dir;
    dir.writeFile("MRVLang.ini", kGerman);
    const char* const titles[][2] = {{"tax INVOICE", "Steuerrechnung"},
                                     {"Invoice", "Rechnung"},
                                     {"Statement", "Invoice"}, // unknown: built-in title stays
                                     {"Receipt", "Receipt"}};  // no German text: the default
    for (const auto& t : titles) {
        TfmqrInvoice fm(nullptr, t[0]);
        EXPECT_EQ(caption(fm, "lbDocument"), t[1]) << t[0];
        EXPECT_EQ(caption(fm, "lbCustNo1"), "Kundennummer");
        EXPECT_EQ(caption(fm, "lbVAT1"), "MwSt");
        EXPECT_EQ(caption(fm, "lbVAT"), "MwSt %");
        EXPECT_EQ(caption(fm, "lbSum"), "Summe");
        EXPECT_EQ(caption(fm, "lbSum1"), "Summe");
        EXPECT_EQ(caption(fm, "lbPage"), "Seite");
    }
    // The date caption takes the Date text only where the kind made it read "Date".
    const char* const kinds[] = {"Invoice",   "Tax invoice",  "Credit invoice", "Receipt",
                                 "Quotation", "Packing slip", "Delivery note"};
    for (const char* kind : kinds) {
        TfmqrInvoice fm(nullptr, kind);
        const QString set = printing::dateCaptionForKind(kind);
        if (!set.isEmpty())
            fm.qrInvoice->element<Label>("lbDate1")->setCaption(set);
        fm.ApplyLanguageTexts();
        const bool dateKind =
            QStringList{"Receipt", "Quotation", "Packing slip", "Delivery note"}.contains(kind);
        EXPECT_EQ(caption(fm, "lbDate1"), dateKind ? "Datum" : "Rechnungsdatum") << kind;
    }
}

TEST(InvoiceLanguage, LongerCaptionMovesItsFollower) {
    TempDataDir dir;
    TfmqrInvoice builtIn(nullptr, "Invoice");
    const Element* no1 = builtIn.qrInvoice->element("lbCustNo1");
    const double shortLeft = builtIn.qrInvoice->element("lbCustNo2")->left();
    EXPECT_NEAR(shortLeft, no1->left() + no1->width() + 10, 1e-9);

    dir.writeFile("MRVLang.ini", kGerman + "Terms=Zahlungsbedingungen und Fristen\n");
    TfmqrInvoice german(nullptr, "Invoice");
    const Element* longNo1 = german.qrInvoice->element("lbCustNo1");
    const double longLeft = german.qrInvoice->element("lbCustNo2")->left();
    EXPECT_NEAR(longLeft, longNo1->left() + longNo1->width() + 10, 1e-9);
    EXPECT_GT(longLeft, shortLeft);
    EXPECT_GT(german.qrInvoice->element("lbTerms2")->left(),
              builtIn.qrInvoice->element("lbTerms2")->left() + 100);
}
