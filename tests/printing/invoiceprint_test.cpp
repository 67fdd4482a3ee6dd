// The printed document over the editor's TRow: what each kind, country and switch prints,
// the rows, long descriptions and page breaks, the extra pages, the printed mark, and the PDF
// files written from it (each checked with qpdf --check and read back with pdftotext).
#include "printing/invoiceprint.h"
#include "printing/tfmqrinvoice.h"
#include "report/painter.h"
#include "report/preview.h"
#include "report/report.h"
#include "report/units.h"
#include "service/service.h"

#include "../pdf/pdftestsupport.h"
#include "support/printers.h"
#include "support/uihooks.h"
#include "trowinvoice.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace report;

namespace {

const PlacedElement* on(const PreparedDocument& doc, const char* name, int page = 0) {
    return doc.pages.at(size_t(page)).find(QLatin1String(name));
}

bool printedOn(const PreparedDocument& doc, const char* name, int page = 0) {
    const PlacedElement* e = on(doc, name, page);
    return e && e->visible;
}

// Every text an element printed, page after page.
QStringList textsOf(const PreparedDocument& doc, const char* name) {
    QStringList out;
    for (const PreparedPage& page : doc.pages)
        for (const PlacedElement& e : page.elements)
            if (e.name == QLatin1String(name) && e.visible)
                out << e.text;
    return out;
}

class InvoicePrint : public PdfFiles {
protected:
    // A document of that kind with the sample rows, the sample company and a shipped design.
    std::unique_ptr<TRowInvoice> make(const QString& kind, const QString& design = "Classic") {
        auto inv = std::make_unique<TRowInvoice>(kind);
        setTestCompany();
        Service::Country = QStringLiteral("GB");
        Service::DesignFile = shippedDesign(design);
        inv->add("1", "D-160", "Oak desk, 160 x 80 cm", 2, "pcs", 245);
        inv->add("2", "CH-BLACK-LEATHER", "Office chair with arm rests and a high back", 4, "pcs",
                 129.5);
        inv->add("3", "SERV", "Delivery and assembly", 1, "job", 60);
        inv->add("4", "L-20", "Desk lamp", 6, "pcs", 18.9);
        return inv;
    }

    // Writes the document as a PDF file in the test's folder and gives its text.
    QString pdfText(TRowInvoice& inv, const QString& name) {
        const QString file = path(name);
        QString error;
        EXPECT_TRUE(inv.form().exportPdf(file, false, &error)) << error.toStdString();
        return textOf(file);
    }
};

} // namespace

TEST_F(InvoicePrint, PackingSlipsAndDeliveryNotesPrintNoMoneyAndNoDueDate) {
    for (const QString kind : {"Packing slip", "Delivery note"}) {
        auto inv = make(kind);
        const PreparedDocument doc = inv->prepare();
        for (const char* name :
             {"lbPrice", "lbDisc", "lbVAT", "lbSum", "lbSum1", "lbSum2", "lbVAT1", "lbVAT2",
              "lbTotal1", "lbTotal2", "lbDueDate1", "lbDueDate2", "lbDueDate1Head",
              "lbDueDate2Head", "lbTerms1", "lbTerms2", "lbTerms3"})
            EXPECT_FALSE(printedOn(doc, name)) << kind.toStdString() << " " << name;
        EXPECT_TRUE(textsOf(doc, "dbPrice").isEmpty());
        EXPECT_TRUE(textsOf(doc, "dbSum").isEmpty());
        EXPECT_EQ(on(doc, "lbDate1")->text, "Date");
        EXPECT_EQ(textsOf(doc, "dbQty"), QStringList({"2", "4", "1", "6"}));

        const QString text = pdfText(*inv, kind + ".pdf");
        EXPECT_TRUE(text.contains("Date 24/12/2026")) << qPrintable(text);
        for (const char* absent : {"Price", "245.00", "1,417.68", "Total", "Due date", "Terms"})
            EXPECT_FALSE(text.contains(absent)) << kind.toStdString() << " " << absent;
        EXPECT_TRUE(text.contains("Oak desk, 160 x 80 cm"));
    }
}

TEST_F(InvoicePrint, CreditInvoicesAndReceiptsTakeTheirDateCaptionAndNoTerms) {
    auto credit = make("Credit invoice");
    PreparedDocument doc = credit->prepare();
    EXPECT_EQ(on(doc, "lbDate1")->text, "Invoice date");
    for (const char* name : {"lbDueDate1", "lbDueDate2", "lbDueDate1Head", "lbTerms1", "lbTerms3"})
        EXPECT_FALSE(printedOn(doc, name)) << name;
    EXPECT_TRUE(printedOn(doc, "lbTotal2"));
    EXPECT_TRUE(pdfText(*credit, "credit.pdf").contains("Invoice date 24/12/2026"));

    // With a language file the captions are the language's: "Date" for a quotation, the
    // invoice-date text for a credit invoice.
    auto quotation = make("Quotation");
    quotation->dir.writeFile("MRVLang.ini", "[Main]\nCurrent language=Deutsch\n[Deutsch]\n"
                                            "Date=Datum\nInvoiceDate=Rechnungsdatum\n"
                                            "Quotation=Angebot\n");
    doc = quotation->prepare();
    EXPECT_EQ(on(doc, "lbDate1")->text, "Datum");
    EXPECT_EQ(on(doc, "lbDocument")->text, "Angebot");
    auto credit2 = make("Credit invoice");
    credit2->dir.writeFile("MRVLang.ini", "[Main]\nCurrent language=Deutsch\n[Deutsch]\n"
                                          "Date=Datum\nInvoiceDate=Rechnungsdatum\n");
    doc = credit2->prepare();
    EXPECT_EQ(on(doc, "lbDate1")->text, "Rechnungsdatum");
    // The date stands beside its caption, however long the caption became.
    EXPECT_GE(on(doc, "lbDate2")->rect.left(), on(doc, "lbDate1")->rect.right());
}

TEST_F(InvoicePrint, TheCustomersVatNumberPrintsOnASouthAfricanTaxInvoiceOnly) {
    struct Case {
        const char* kind;
        const char* country;
        bool vat;
        bool printed;
    } cases[] = {{"Tax invoice", "ZA", true, true},
                 {"Invoice", "ZA", true, false},
                 {"Tax invoice", "GB", true, false},
                 {"Tax invoice", "ZA", false, false}};
    for (const Case& c : cases) {
        auto inv = make(c.kind);
        Service::Country = c.country;
        Service::VAT = c.vat;
        const PreparedDocument doc = inv->prepare();
        EXPECT_EQ(printedOn(doc, "lbCustVAT1"), c.printed) << c.kind << " " << c.country << c.vat;
        EXPECT_EQ(printedOn(doc, "lbCustVAT2"), c.printed) << c.kind << " " << c.country << c.vat;
        if (!c.vat) {
            for (const char* name : {"lbVAT", "lbSum1", "lbVAT1", "lbCompanyVATno1"})
                EXPECT_FALSE(printedOn(doc, name)) << name;
            EXPECT_TRUE(textsOf(doc, "dbVAT").isEmpty());
        }
    }
    auto inv = make("Tax invoice");
    Service::Country = "ZA";
    EXPECT_TRUE(pdfText(*inv, "za.pdf").contains("4123456789"));
}

TEST_F(InvoicePrint, CanadaHasItsBusinessNumberCaptionAndASmallVatTitle) {
    auto inv = make("Invoice");
    Service::Country = "CA";
    Service::VATcap = "GST/HST";
    const PreparedDocument doc = inv->prepare();
    EXPECT_EQ(on(doc, "lbCompanyVATno1")->text, "Business no.:");
    EXPECT_EQ(inv->form().qrInvoice->element<TextElement>("lbVAT")->font().size, 7);
    EXPECT_EQ(on(doc, "lbVAT")->text, "GST/HST %");
    // Too long for its column even at 7 points, the title takes two lines.
    EXPECT_EQ(on(doc, "lbVAT")->runs.size(), 2u);
    EXPECT_EQ(on(doc, "lbVAT")->font.size, 7);
    EXPECT_EQ(on(doc, "lbVAT1")->text, "GST/HST:");
    EXPECT_TRUE(printing::printedCode("x", Orientation::Portrait) == "x");
    for (const auto& [country, caption] :
         {std::pair{"AU", "ABN:"}, {"NZ", "GST no.:"}, {"GB", "VAT no.:"}}) {
        auto other = make("Invoice");
        Service::Country = country;
        EXPECT_EQ(on(other->prepare(), "lbCompanyVATno1")->text, caption) << country;
    }
}

TEST_F(InvoicePrint, TheDiscountTitlePrintsWhenDiscountsAreUsedAndARowHasOne) {
    auto none = make("Invoice");
    EXPECT_FALSE(printedOn(none->prepare(), "lbDisc"));

    auto one = make("Invoice");
    one->add("5", "X", "Discounted chair", 1, "pcs", 100, 12.5);
    PreparedDocument doc = one->prepare();
    EXPECT_TRUE(printedOn(doc, "lbDisc"));
    EXPECT_TRUE(textsOf(doc, "dbDisc").contains("12.5"));

    auto off = make("Invoice");
    off->add("5", "X", "Discounted chair", 1, "pcs", 100, 12.5);
    Service::Disc = false;
    EXPECT_FALSE(printedOn(off->prepare(), "lbDisc"));
}

TEST_F(InvoicePrint, ARowWithALongDescriptionAndNoItemPrintsOnlyItsDescription) {
    auto inv = make("Invoice");
    inv->add("", "", "", 0, "", 0, 0, 0, true, "Installation on the second floor\nby arrangement");
    inv->add("6", "LAMP", "Floor lamp", 1, "pcs", 80, 0, 20, true, "Brass, with a linen shade");
    const PreparedDocument doc = inv->prepare();
    // Five rows print; the sixth record is a description only.
    EXPECT_EQ(textsOf(doc, "dbItem"), QStringList({"1", "2", "3", "4", "6"}));
    EXPECT_EQ(textsOf(doc, "QRDBText1"),
              QStringList({"Installation on the second floor\nby arrangement",
                           "Brass, with a linen shade"}));
    const PlacedElement* only = nullptr;
    for (const PlacedElement& e : doc.pages[0].elements)
        if (e.name == "QRDBText1" && !only)
            only = &e;
    ASSERT_NE(only, nullptr);
    EXPECT_NEAR(only->rect.width(), inv->form().qrInvoice->bandWidth() - 10, 1e-6);
    EXPECT_TRUE(pdfText(*inv, "longdesc.pdf").contains("Brass, with a linen shade"));
}

TEST_F(InvoicePrint, ALongDescriptionOfTwoOrMoreLinesReservesRoomAndBreaksThePageEarlier) {
    EXPECT_EQ(printing::longDescriptionReserve(""), 0);
    EXPECT_EQ(printing::longDescriptionReserve("one line\n"), 0); // a count of 1 reserves nothing
    EXPECT_EQ(printing::longDescriptionReserve("a\nb\nc"), 42);
    EXPECT_EQ(printing::longDescriptionReserve(QString(180, 'x')), 0);
    EXPECT_EQ(printing::longDescriptionReserve(QString(180, 'x') + "\n"), 42);
    EXPECT_EQ(printing::longDescriptionReserve(QString(271, 'x') + "\n\n"), 84);
    const QRectF frame(90, 400, 800, 600);
    const double s = 4.535;
    EXPECT_FALSE(printing::rowStartsNewPage((1000 - 30) / s - 0.1, frame, 0, s));
    EXPECT_TRUE(printing::rowStartsNewPage((1000 - 30) / s + 0.1, frame, 0, s));
    EXPECT_TRUE(printing::rowStartsNewPage((1000 - 30 - 42) / s + 0.1, frame, 42, s));

    // The same rows, the last of them with a description of three lines: it moves to the next
    // page where a row without one still fits.
    auto rowsOnFirstPage = [&](int numbered, int withDescription) {
        auto inv = make("Invoice");
        inv->addNumbered(numbered, 5);
        if (withDescription >= 0)
            inv->add("99", "LAST", "The last row", 1, "pcs", 5, 0, 20, withDescription > 0,
                     withDescription ? "first\nsecond\nthird" : "");
        const PreparedDocument doc = inv->prepare();
        int count = 0;
        for (const PlacedElement& e : doc.pages[0].elements)
            count += e.name == "dbItem" ? 1 : 0;
        return std::pair{count, doc.pageCount()};
    };
    // How many rows fill the first page.
    const int full = rowsOnFirstPage(60, -1).first;
    ASSERT_GT(full, 10);
    const int numbered = full - 5; // the four sample rows, these, and the last row
    const auto [plain, plainPages] = rowsOnFirstPage(numbered, 0);
    const auto [reserved, reservedPages] = rowsOnFirstPage(numbered, 1);
    EXPECT_EQ(plain, full);
    EXPECT_EQ(plainPages, 1);
    EXPECT_EQ(reserved, full - 1);
    EXPECT_EQ(reservedPages, 2);
}

TEST_F(InvoicePrint, LongCodesBreakAfterTheTenthCharacterOnPortraitPagesOnly) {
    EXPECT_EQ(printing::printedCode("ABCDEFGHIJ", Orientation::Portrait), "ABCDEFGHIJ");
    EXPECT_EQ(printing::printedCode("ABCDEFGHIJK", Orientation::Portrait), "ABCDEFGHIJ K");
    EXPECT_EQ(printing::printedCode("ABCDEFGHIJK", Orientation::Landscape), "ABCDEFGHIJK");
    auto portrait = make("Invoice");
    EXPECT_EQ(textsOf(portrait->prepare(), "lbCode2").at(1), "CH-BLACK-L EATHER");
    auto landscape = make("Invoice");
    landscape->dir.writeFile("Wide.ini", "[Page]\nOrientation=poLandscape\n");
    Service::DesignFile = landscape->file("Wide.ini");
    const PreparedDocument doc = landscape->prepare();
    EXPECT_EQ(landscape->form().qrInvoice->orientation(), Orientation::Landscape);
    EXPECT_EQ(textsOf(doc, "lbCode2").at(1), "CH-BLACK-LEATHER");
}

TEST_F(InvoicePrint, ALogoReplacesTheShortNameAndKeepsItsProportions) {
    auto plain = make("Invoice");
    PreparedDocument doc = plain->prepare();
    EXPECT_TRUE(printedOn(doc, "lbShortName"));
    EXPECT_TRUE(on(doc, "Logga")->picture.isNull());

    auto withLogo = make("Invoice");
    QImage logo(3000, 500, QImage::Format_RGB32);
    logo.fill(QColor(30, 90, 160));
    ASSERT_TRUE(logo.save(withLogo->file("Logo.bmp"), "BMP"));
    doc = withLogo->prepare();
    EXPECT_FALSE(printedOn(doc, "lbShortName"));
    const PlacedElement* picture = on(doc, "Logga");
    ASSERT_FALSE(picture->picture.isNull());
    EXPECT_NEAR(picture->rect.width() / picture->rect.height(), 6.0, 0.01);
    EXPECT_LE(picture->rect.width(), 228.01);
    EXPECT_LE(picture->rect.height(), 114.01);
    EXPECT_LE(picture->picture.width(), 600);

    // A logo file that is not a picture leaves the short name.
    auto broken = make("Invoice");
    broken->dir.writeFile("Logo.bmp", "not a picture");
    EXPECT_TRUE(printedOn(broken->prepare(), "lbShortName"));
}

TEST_F(InvoicePrint, ExtraPagesShowTitleNumberAndPageFromTheSecondPageOn) {
    auto inv = make("Invoice");
    inv->dir.writeFile("MRVLang.ini", "[Main]\nCurrent language=Svenska\n[Svenska]\n"
                                      "Invoice=Faktura\nPage=Sida\n");
    inv->addNumbered(80, 5);
    const PreparedDocument doc = inv->prepare();
    ASSERT_GE(doc.pageCount(), 3);
    EXPECT_EQ(on(doc, "BandNewPage"), nullptr);
    EXPECT_EQ(on(doc, "lbDocument")->text, "Faktura");
    for (int p = 1; p < doc.pageCount(); ++p) {
        EXPECT_EQ(on(doc, "BandHeading", p), nullptr);
        // The editor's kind, not the language's title.
        EXPECT_EQ(on(doc, "lbInvNoP1", p)->text, "Invoice");
        EXPECT_EQ(on(doc, "lbInvNoP2", p)->text, "2026-0042");
        EXPECT_EQ(on(doc, "lbPage", p)->text, "Sida");
        EXPECT_EQ(on(doc, "sysPageNo", p)->text, QString::number(p + 1));
        EXPECT_GE(on(doc, "lbInvNoP2", p)->rect.left(), on(doc, "lbInvNoP1", p)->rect.right());
        // The frame starts below the extra-pages band.
        const QRectF band = on(doc, "BandNewPage", p)->rect;
        EXPECT_NEAR(on(doc, "shItemFrame", p)->rect.top(), std::trunc(band.bottom()), 1.0);
    }
    const QString text = pdfText(*inv, "pages.pdf");
    EXPECT_TRUE(text.contains(QRegularExpression("Invoice +2026-0042 +Sida +2")))
        << qPrintable(text.left(3000));
}

TEST_F(InvoicePrint, TwoThousandRowsPrintEachOnceWithTheTotalsOnTheLastPageOnly) {
    auto inv = make("Invoice");
    inv->addNumbered(2000, 5);
    const PreparedDocument doc = inv->prepare();
    ASSERT_GT(doc.pageCount(), 40);
    QStringList items = textsOf(doc, "dbItem");
    ASSERT_EQ(items.size(), 2004);
    for (int i = 0; i < 2004; ++i)
        ASSERT_EQ(items[i], QString::number(i + 1));
    for (int p = 0; p < doc.pageCount(); ++p) {
        const bool last = p == doc.pageCount() - 1;
        EXPECT_EQ(on(doc, "BandTotals", p) != nullptr, last) << "page " << p + 1;
        const QRectF frame = on(doc, "shItemFrame", p)->rect;
        const QRectF footer = on(doc, "BandFooter", p)->rect;
        EXPECT_LE(frame.bottom(), footer.top()) << "page " << p + 1;
        for (const PlacedElement& e : doc.pages[size_t(p)].elements) {
            if (e.name == "BandItems") {
                EXPECT_LE(e.rect.bottom(), frame.bottom() + 0.01) << "page " << p + 1;
            }
        }
    }
    EXPECT_TRUE(textsOutOfPlace(*inv->form().qrInvoice, doc).isEmpty());

    const QString text = pdfText(*inv, "long.pdf");
    for (int i : {5, 6, 1000, 1999, 2004})
        EXPECT_EQ(text.count(QStringLiteral("Row %1 oak shelf").arg(i, 4, 10, QLatin1Char('0'))), 1)
            << i;
    EXPECT_EQ(text.count("1,417.68"), 1);
}

TEST_F(InvoicePrint, PolishGreekAndCyrillicNamesCanBeReadFromThePdf) {
    auto inv = make("Invoice");
    inv->head["lbCust"] = QString::fromUtf8("Zakład Stolarski Łódź");
    inv->head["lbAddressRow1"] = QString::fromUtf8("Οδός Αθηνάς 12");
    inv->head["lbAddressRow2"] = QString::fromUtf8("Москва, ул. Тверская");
    inv->add("5", "PL", QString::fromUtf8("Krzesło dębowe, źdźbło"), 1, "szt", 99);
    inv->add("6", "GR", QString::fromUtf8("Ξύλινο τραπέζι"), 1, "τεμ", 150);
    inv->add("7", "RU", QString::fromUtf8("Деревянный стул"), 2, "шт", 75);
    const QString text = pdfText(*inv, "names.pdf");
    for (const char* name : {"Zakład Stolarski Łódź", "Οδός Αθηνάς 12", "Москва, ул. Тверская",
                             "Krzesło dębowe, źdźbło", "Ξύλινο τραπέζι", "Деревянный стул"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(name))) << name << "\n" << qPrintable(text);
}

TEST_F(InvoicePrint, OnlyARealPrintOrAWrittenPdfMarksTheDocumentPrinted) {
    auto inv = make("Invoice");
    TfmqrInvoice& fm = inv->form();
    QSignalSpy printed(&fm, &TfmqrInvoice::documentPrinted);
    ModalScript modal;
    PrintDialogScript printDialog;
    FileDialogScript files;
    MessageRecorder messages;

    // Closing the preview prints nothing.
    modal.on("ReportPreview", [](QWidget* w) { w->close(); });
    fm.Preview();
    EXPECT_FALSE(fm.printed());
    EXPECT_EQ(printed.count(), 0);

    // A print dialog cancelled, then a PDF that cannot be written: still not printed.
    printDialog.answer(QString());
    files.answer(m_dir.filePath("missing/folder/x.pdf"));
    modal.on("ReportPreview", [](QWidget* w) {
        w->findChild<QAction*>("btnPrint")->trigger();
        w->findChild<QAction*>("btnSavePdf")->trigger();
    });
    fm.Preview();
    EXPECT_FALSE(fm.printed());
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].contains("x.pdf")) << qPrintable(messages.texts()[0]);
    // The proposed name is the kind and the number.
    ASSERT_EQ(files.requests().size(), 1u);
    EXPECT_EQ(files.requests()[0].fileName, "Invoice2026-0042.pdf");

    // Saved as PDF from the preview: printed, written with the editor's PDF set-up.
    const QString saved = path("saved.pdf");
    files.answer(saved);
    modal.on("ReportPreview", [](QWidget* w) { w->findChild<QAction*>("btnSavePdf")->trigger(); });
    fm.Preview();
    EXPECT_TRUE(fm.printed());
    EXPECT_EQ(printed.count(), 1);
    EXPECT_TRUE(textOf(saved).contains("Oak desk"));

    // A confirmed print from the preview.
    auto other = make("Invoice");
    TfmqrInvoice& fm2 = other->form();
    QSignalSpy printed2(&fm2, &TfmqrInvoice::documentPrinted);
    const QString onPaper = path("printer.pdf");
    printDialog.answer(onPaper);
    modal.on("ReportPreview", [](QWidget* w) { w->findChild<QAction*>("btnPrint")->trigger(); });
    fm2.Preview();
    EXPECT_TRUE(fm2.printed());
    EXPECT_EQ(printed2.count(), 1);
    EXPECT_TRUE(QFile::exists(onPaper));
}

TEST_F(InvoicePrint, APdfThatCannotBeWrittenSaysWhichFileAndWhyAndIsNotPrinted) {
    auto inv = make("Invoice");
    QFile blocker(m_dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    const QString target = m_dir.filePath("blocker/Invoice2026-0042.pdf");
    EXPECT_FALSE(inv->form().exportPdf(target, false, &error));
    EXPECT_TRUE(error.contains("Invoice2026-0042.pdf")) << qPrintable(error);
    EXPECT_FALSE(inv->form().printed());

    // A number with a dot keeps what follows it; a name without ".pdf" gets it.
    const QString dotted = m_dir.filePath("Invoice2026.01");
    path("Invoice2026.01.pdf");
    EXPECT_TRUE(inv->form().exportPdf(dotted, false, &error)) << qPrintable(error);
    EXPECT_TRUE(QFile::exists(dotted + ".pdf"));
    EXPECT_TRUE(inv->form().printed());
    EXPECT_EQ(printing::documentPdfName("Invoice", "../../x"), "Invoice.._.._x.pdf");
    EXPECT_EQ(printing::documentPdfName("", ".."), "__.pdf");
    EXPECT_EQ(printing::documentPdfName("Credit invoice", "7:1"), "Credit invoice7_1.pdf");
}

TEST_F(InvoicePrint, PrintingAgainFromTheSamePreviewGivesTheSamePages) {
    auto inv = make("Receipt");
    inv->dir.writeFile("MRVLang.ini", "[Main]\nCurrent language=Deutsch\n[Deutsch]\n"
                                      "Receipt=Quittung\nDate=Datum\n");
    const QString first = dumpPrepared(inv->prepare());
    const QString second = dumpPrepared(inv->prepare());
    EXPECT_EQ(first, second);
    EXPECT_TRUE(first.contains("\"Quittung\""));
    EXPECT_TRUE(first.contains("lbInvNoP1 label BandNewPage") || !first.contains("lbInvNoP1"));
}

TEST_F(InvoicePrint, TheFreeTextIsFoundByItsNameInAnyLetterCase) {
    auto inv = make("Invoice");
    {
        db::Table texts;
        texts.setDatabaseName(inv->dir.path());
        texts.setTableName("FreeText");
        texts.Open();
        texts.Append();
        texts.FieldByName("Name").setAsString("Thanks");
        texts.FieldByName("Text").setAsString("<p>Thank you for your <b>order</b>.</p>");
        texts.Post();
    }
    Service::FriTextNamn = "THANKS";
    EXPECT_EQ(on(inv->prepare(), "dataFreeText")->text, "Thank you for your order.");
    auto missing = make("Invoice");
    Service::FriTextNamn = "No such text";
    EXPECT_TRUE(on(missing->prepare(), "dataFreeText")->text.isEmpty());
}

TEST_F(InvoicePrint, CompanyCaptionsPrintOnlyWithTheirValueAndOnlyWhereTheDesignPrintsThem) {
    auto inv = make("Invoice");
    Service::CompanyFax.clear();
    Service::CompanyBank.clear();
    inv->head["lbYourRef2"].clear();
    PreparedDocument doc = inv->prepare();
    EXPECT_TRUE(printedOn(doc, "lbPhone1"));
    EXPECT_FALSE(printedOn(doc, "lbFax1"));
    EXPECT_FALSE(printedOn(doc, "lbBank1"));
    EXPECT_FALSE(printedOn(doc, "lbYourRef1"));
    EXPECT_TRUE(printedOn(doc, "lbOurRef1"));
    // The footer is 5 units taller for the VAT number, once.
    EXPECT_NEAR(on(doc, "BandFooter")->rect.height(), 75, 1e-9);

    // A design that does not print the phone caption is not overruled by a phone number.
    auto designed = make("Invoice");
    designed->dir.writeFile("NoPhone.ini", "[Footer]\nlbPhone1.Enabled=0\n");
    Service::DesignFile = designed->file("NoPhone.ini");
    doc = designed->prepare();
    EXPECT_FALSE(printedOn(doc, "lbPhone1"));
    EXPECT_FALSE(printedOn(doc, "lbCompanyPhone"));

    // Without a page footer the moved footer follows the same rules.
    auto heading = make("Invoice", "Heading");
    Service::CompanyPhone.clear();
    doc = heading->prepare();
    EXPECT_FALSE(printedOn(doc, "lbPhone1Head"));
    EXPECT_TRUE(printedOn(doc, "lbFax1Head"));
}

TEST_F(InvoicePrint, LongNamesAndTranslationsStayInsideTheirPlace) {
    for (const char* design : {"Classic", "Heading", "Letter"}) {
        auto inv = make("Invoice", design);
        Service::CompanyName =
            "Northwind Trading, Shipping and Warehousing Company of the West of England Limited";
        Service::CompanyEmail =
            "accounts.receivable.department@northwind-trading-and-shipping.example";
        Service::CompanyAddress = "Unit 12, Harbour Industrial Estate, Cumberland Basin Road";
        inv->head["lbCust"] = "Acme Office Supplies, Stationery and Furniture Wholesale Ltd";
        inv->head["lbAddressRow1"] = "Building 4, Market Lane Business Park, Upper Floor";
        inv->head["lbOurRef2"] = "John Jones of the accounts receivable department";
        inv->dir.writeFile("MRVLang.ini",
                           "[Main]\nCurrent language=Deutsch\n[Deutsch]\n"
                           "Invoice=Rechnung mit ausgewiesener Umsatzsteuer\n"
                           "CustomerNo=Kundennummer des Rechnungsempfängers\n"
                           "Description=Beschreibung der gelieferten Ware oder Leistung\n"
                           "Qty=Menge in Stück\nTotal=Gesamtbetrag\nDueDate=Zahlbar bis\n");
        inv->add("5", "VERYLONGPRODUCTCODE1",
                 "Ergonomic office chair with adjustable arm rests, lumbar support, a high "
                 "back and a headrest, black leather, delivered assembled",
                 1, "pcs", 1234567.89);
        const PreparedDocument doc = inv->prepare();
        const QStringList problems = textsOutOfPlace(*inv->form().qrInvoice, doc);
        EXPECT_TRUE(problems.isEmpty()) << design << "\n" << qPrintable(problems.join('\n'));
        // The long customer name is cut at a word, not in the middle of one.
        const QString cust = on(doc, "lbCust")->runs.at(0).text;
        EXPECT_TRUE(QString("Acme Office Supplies, Stationery and Furniture Wholesale Ltd")
                        .startsWith(cust + (cust.size() < 59 ? " " : "")))
            << qPrintable(cust);
        if (const QByteArray out = qgetenv("MEROVIA_RENDER_DIR"); !out.isEmpty())
            renderPageImage(doc.pages.at(0), 110)
                .save(QString::fromLocal8Bit(out) + "/invoice_long_" + design + ".png");
    }
}

// MEROVIA_RENDER_DIR=<dir> build/tests/printing_tests --gtest_filter='*WritesSamplePdfs*' writes
// a normal invoice, a long one and one with long names and a large logo, on A4 and on Letter,
// for looking at (pdftoppm -png).
TEST_F(InvoicePrint, WritesSamplePdfsWhenAsked) {
    const QString out = QString::fromLocal8Bit(qgetenv("MEROVIA_RENDER_DIR"));
    if (out.isEmpty())
        GTEST_SKIP() << "MEROVIA_RENDER_DIR not set";
    for (const char* design : {"Classic", "Letter", "Heading"}) {
        QString error;
        auto normal = make("Invoice", design);
        normal->form().setFreeText("Thank you for your order. <b>Payment within 30 days.</b>");
        EXPECT_TRUE(normal->form().exportPdf(out + "/normal-" + design + ".pdf", false, &error));
        auto longer = make("Invoice", design);
        longer->addNumbered(70, 5);
        longer->add("75", "", "", 0, "", 0, 0, 0, true,
                    "A long description\nof three lines\nwith a third one");
        EXPECT_TRUE(longer->form().exportPdf(out + "/long-" + design + ".pdf", false, &error));
        auto names = make("Tax invoice", design);
        Service::Country = "ZA";
        Service::CompanyName =
            "Northwind Trading, Shipping and Warehousing Company of the West of England Limited";
        Service::CompanyEmail = "accounts.receivable@northwind-trading-and-shipping.example";
        names->head["lbCust"] = "Acme Office Supplies, Stationery and Furniture Wholesale Ltd";
        names->head["lbAddressRow1"] = "Building 4, Market Lane Business Park, Upper Floor";
        names->add("5", "VERYLONGPRODUCTCODE1",
                   "Ergonomic office chair with adjustable arm rests, lumbar support, a high "
                   "back and a headrest, black leather, delivered assembled",
                   1, "pcs", 1234567.89);
        QImage logo(2400, 1800, QImage::Format_RGB32);
        logo.fill(QColor(200, 60, 40));
        QPainter p(&logo);
        p.fillRect(300, 300, 1800, 1200, QColor(30, 90, 160));
        p.end();
        logo.save(names->file("Logo.bmp"), "BMP");
        EXPECT_TRUE(names->form().exportPdf(out + "/names-" + design + ".pdf", false, &error));
    }
}

// MEROVIA_RENDER_DIR=<dir> xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb
// build/tests/printing_tests --gtest_filter='*PreviewPicture*' takes a picture of the preview
// of a long invoice as a person sees it (maximised, its second page).
TEST_F(InvoicePrint, TakesAPreviewPictureWhenAsked) {
    const QString out = QString::fromLocal8Bit(qgetenv("MEROVIA_RENDER_DIR"));
    if (out.isEmpty())
        GTEST_SKIP() << "MEROVIA_RENDER_DIR not set";
    auto inv = make("Invoice");
    inv->addNumbered(70, 5);
    ModalScript modal;
    modal.on("ReportPreview", [&](QWidget* w) {
        QTest::qWait(300);
        const QSize screen = w->screen()->size();
        w->grab().save(QStringLiteral("%1/preview-%2x%3.png")
                           .arg(out)
                           .arg(screen.width())
                           .arg(screen.height()));
        w->findChild<QAction*>("btnNext")->trigger();
        w->findChild<QAction*>("btnWholePage")->trigger();
        QTest::qWait(100);
        w->grab().save(QStringLiteral("%1/preview-whole-%2x%3.png")
                           .arg(out)
                           .arg(screen.width())
                           .arg(screen.height()));
    });
    inv->form().Preview();
}
