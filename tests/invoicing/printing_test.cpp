#include "editorfixture.h"

#include "db/database.h"
#include "db/faultvfs.h"
#include "db/query.h"
#include "printing/invoiceprint.h"
#include "report/preview.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTextEdit>

namespace {

// Standard output only (tools may chatter on standard error).
QString output(const QString& program, const QStringList& args, int* code) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    *code = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString& file) {
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
}

bool qpdfChecks(const QString& file) {
    int code = -1;
    run(QStringLiteral("qpdf"), {QStringLiteral("--check"), file}, &code);
    return code == 0;
}

// A document on the screen, ready to print: customer 17, two product rows, 25 % VAT.
class PrintingTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        addCustomer(QStringLiteral("17"), QStringLiteral("Acme"));
        addProduct(QStringLiteral("P1"), QStringLiteral("Paint"), "10");
        addProduct(QStringLiteral("P2"), QStringLiteral("Brush"), "4.50");
        setting(QStringLiteral("Autonum"), QStringLiteral("2"));
        setting(QStringLiteral("LastTotalSeqNo"), QStringLiteral("1022"));
        Service::Disc = false;
        Service::DesignFile = dir.file(QStringLiteral("Classic.ini"));
    }
    TfmInvoice& writeDocument(const QString& kind = QStringLiteral("Invoice")) {
        TfmInvoice& ed = editor();
        ed.btnNewInvoiceClick();
        ed.cbDocument->setCurrentIndex(ed.cbDocument->findText(kind));
        ed.edCustNo->setText(QStringLiteral("17"));
        ed.edCustNoExit();
        ed.dbTRow->EmptyTable();
        addRow(QStringLiteral("P1"), QStringLiteral("Paint"), 3, "10", 25);
        addRow(QStringLiteral("P2"), QStringLiteral("Brush"), 2, "4.50", 25);
        addRow(QString(), QString(), 0, nullptr); // the row the grid leaves at the end
        ed.AllRows();
        ed.Totalsums();
        return ed;
    }
    // Prints from the preview into a PDF file, as a person confirming the print dialog would.
    void printThroughPreview(TfmInvoice& ed, const QString& pdf) {
        PrintDialogScript printer;
        printer.answer(pdf);
        ModalScript modal;
        modal.on(QStringLiteral("ReportPreview"),
                 [](QWidget* w) { static_cast<report::PreviewWindow*>(w)->btnPrintClick(); });
        ed.btnPrintClick();
        offeredCopies = printer.offeredCopies();
    }
    QString file(const QString& name) { return pdfDir.path() + QLatin1Char('/') + name; }

    QTemporaryDir pdfDir;
    std::vector<int> offeredCopies;
};

} // namespace

TEST_F(PrintingTest, FromNewToAStoredPrintedAndReopenedInvoice) {
    setting(QStringLiteral("Copies"), QStringLiteral("2"));
    TfmInvoice& ed = writeDocument();
    EXPECT_EQ(ed.edInvNo->text(), QStringLiteral("1023"));
    const Currency sum = money("30") + money("9");
    const Currency vat = Currency::fromDouble(sum.toLongDouble() * 25 / 100);
    const Currency total = sum + vat;
    ASSERT_EQ(ed.DocTotal, total);

    const QString pdf = file(QStringLiteral("printed.pdf"));
    printThroughPreview(ed, pdf);
    EXPECT_EQ(offeredCopies, std::vector<int>{2});
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(qpdfChecks(pdf));
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("1023")));
    EXPECT_TRUE(text.contains(QStringLiteral("Acme")));
    EXPECT_TRUE(text.contains(QStringLiteral("Paint")));
    EXPECT_TRUE(text.contains(total.format(2))) << text.toStdString();
    EXPECT_TRUE(text.contains(vat.format(2)));
    EXPECT_TRUE(text.contains(money("30").format(2)));

    // Stored as printed, counted, emptied, locked, the number committed and written at once.
    auto h = heads();
    ASSERT_EQ(h->RecordCount(), 1);
    EXPECT_EQ(h->FieldByName(QStringLiteral("Invoice no")).AsString(), QStringLiteral("1023"));
    EXPECT_TRUE(h->FieldByName(QStringLiteral("Printed")).AsBoolean());
    EXPECT_EQ(h->FieldByName(QStringLiteral("Rest")).AsCurrency(), total);
    EXPECT_EQ(storedRows()->RecordCount(), 2) << "the empty last row is not stored";
    auto c = customers();
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), QStringLiteral("17")));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Periods sales")).AsCurrency(), total);
    auto p = products();
    ASSERT_TRUE(p->Locate(QStringLiteral("Code"), QStringLiteral("P1")));
    EXPECT_DOUBLE_EQ(p->FieldByName(QStringLiteral("Stock")).AsFloat(), -3);
    EXPECT_EQ(settingValue(QStringLiteral("LastTotalSeqNo")), QStringLiteral("1023"));
    EXPECT_TRUE(ed.headLocked());
    EXPECT_TRUE(ed.edCust->text().isEmpty());
    EXPECT_TRUE(ed.DocSaved);

    // Printing again now would print an empty document over the record: refused.
    messages.clear();
    ed.btnPrintClick();
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral(
                  "There is no document to print.\nChoose New or Open saved first.")});

    // New gives the next number; the finder opens the printed invoice locked.
    ed.btnNewInvoiceClick();
    EXPECT_EQ(ed.edInvNo->text(), QStringLiteral("1024"));
    ed.DocSaved = true;
    ed.dbIHead->First();
    ModalScript modal;
    modal.on(QStringLiteral("TfmGetInv"),
             [](QWidget* w) { static_cast<TfmGetInv*>(w)->gdFaktsokDblClick(); });
    ed.btnOpenClick();
    EXPECT_TRUE(ed.DocLocked);
    EXPECT_EQ(ed.edInvNo->text(), QStringLiteral("1023"));
    EXPECT_EQ(ed.DocTotal, total);

    // Printed once more (a copy): counted no more, stored no more.
    printThroughPreview(ed, file(QStringLiteral("again.pdf")));
    EXPECT_EQ(heads()->RecordCount(), 1);
    c = customers();
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), QStringLiteral("17")));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Periods sales")).AsCurrency(), total);
}

TEST_F(PrintingTest, ClosingThePreviewWithoutPrintingCountsNothing) {
    TfmInvoice& ed = writeDocument();
    ModalScript modal; // the preview is closed at once
    ed.btnPrintClick();
    EXPECT_EQ(modal.shown(), QStringList{QStringLiteral("ReportPreview")});
    EXPECT_FALSE(ed.DocPrinted);
    EXPECT_FALSE(ed.DocSaved);
    EXPECT_FALSE(ed.headLocked());
    EXPECT_EQ(ed.edCust->text(), QStringLiteral("Acme"));
    EXPECT_EQ(heads()->RecordCount(), 0);
    EXPECT_EQ(settingValue(QStringLiteral("LastTotalSeqNo")), QStringLiteral("1022"));
}

TEST_F(PrintingTest, APdfIsWrittenUnderASafeNameAndCountsAsPrinted) {
    EXPECT_EQ(printing::documentPdfName(QStringLiteral("Invoice"), QStringLiteral("1023")),
              QStringLiteral("Invoice1023.pdf"));
    EXPECT_EQ(printing::documentPdfName(QStringLiteral("Invoice"), QStringLiteral("../../x")),
              QStringLiteral("Invoice.._.._x.pdf"));
    EXPECT_EQ(printing::documentPdfName(QString(), QStringLiteral("..")), QStringLiteral("__.pdf"));
    EXPECT_EQ(printing::documentPdfName(QString(), QStringLiteral(".hidden")),
              QStringLiteral("_hidden.pdf"));
    EXPECT_EQ(printing::documentPdfName(QString(), QString()), QStringLiteral("Document.pdf"));

    TfmInvoice& ed = writeDocument();
    ed.edInvNo->setText(QStringLiteral("2026/07"));
    FileDialogScript dialog;
    dialog.answer(QString()); // cancelled: nothing happens
    ed.btnPdfClick();
    EXPECT_FALSE(ed.DocPrinted);
    ASSERT_EQ(dialog.requests().size(), 1u);
    EXPECT_EQ(dialog.requests()[0].fileName, QStringLiteral("Invoice2026_07.pdf"));
    EXPECT_EQ(dialog.requests()[0].filter, QStringLiteral("Adobe PDF Files (*.pdf)|*.pdf|"));

    QStringList opened;
    Service::setExecuteFileHook(
        [&](const QString& program, const QString& params, const QString&, int) {
            opened << program + QLatin1Char(' ') + params;
            return 42;
        });
    const QString pdf = file(QStringLiteral("Invoice2026_07.pdf"));
    dialog.answer(pdf);
    messages.answer(ui::MsgButton::Yes); // "View document?"
    ed.btnPdfClick();
    Service::setExecuteFileHook({});
    EXPECT_TRUE(messages.texts().contains(QStringLiteral("View document?")));
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(qpdfChecks(pdf));
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(pdfText(pdf).contains(QStringLiteral("2026/07")));
    auto h = heads();
    ASSERT_EQ(h->RecordCount(), 1);
    EXPECT_EQ(h->FieldByName(QStringLiteral("Invoice no")).AsString(), QStringLiteral("2026/07"));
    EXPECT_TRUE(ed.headLocked());
}

TEST_F(PrintingTest, APdfThatCannotBeWrittenLeavesTheDocumentOpen) {
    TfmInvoice& ed = writeDocument();
    FileDialogScript dialog;
    const QString pdf = pdfDir.path() + QStringLiteral("/missing/folder/Invoice1023.pdf");
    dialog.answer(pdf);
    messages.answer(ui::MsgButton::No);
    ed.btnPdfClick();
    EXPECT_FALSE(ed.DocPrinted);
    EXPECT_FALSE(ed.headLocked());
    EXPECT_EQ(ed.edCust->text(), QStringLiteral("Acme"));
    EXPECT_EQ(heads()->RecordCount(), 0);
    ASSERT_FALSE(messages.texts().isEmpty());
    EXPECT_TRUE(messages.texts().last().contains(QStringLiteral("Invoice1023.pdf")))
        << messages.texts().last().toStdString();
    EXPECT_EQ(settingValue(QStringLiteral("LastTotalSeqNo")), QStringLiteral("1022"));
}

TEST_F(PrintingTest, CreditInvoicesAndReceipts) {
    TfmInvoice& ed = writeDocument(QStringLiteral("Credit invoice"));
    const Currency credited = money("48.75");
    EXPECT_EQ(ed.DocTotal, -credited);
    printThroughPreview(ed, file(QStringLiteral("credit.pdf")));
    auto h = heads();
    ASSERT_EQ(h->RecordCount(), 1);
    EXPECT_EQ(h->FieldByName(QStringLiteral("Total")).AsCurrency(), -credited);
    EXPECT_EQ(h->FieldByName(QStringLiteral("Rest")).AsCurrency(), -credited);
    auto c = customers();
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), QStringLiteral("17")));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Periods sales")).AsCurrency(), -credited);

    // A receipt saved unprinted is paid and archived on its date at once.
    writeDocument(QStringLiteral("Receipt"));
    ed.edInvDate->setDate(QDate(2026, 5, 4));
    ASSERT_TRUE(ed.SaveDocument());
    h = heads();
    h->Last();
    EXPECT_EQ(h->FieldByName(QStringLiteral("Paid")).AsDate(), QDate(2026, 5, 4));
    EXPECT_EQ(h->FieldByName(QStringLiteral("Archived")).AsDate(), QDate(2026, 5, 4));
    EXPECT_FALSE(h->FieldByName(QStringLiteral("Printed")).AsBoolean());
    EXPECT_TRUE(h->FieldByName(QStringLiteral("Invoice no")).AsString().isEmpty());
}

TEST_F(PrintingTest, ATemplateChangedAndPrintedIsStoredAsANewDocument) {
    auto h = heads();
    h->Append();
    h->FieldByName(QStringLiteral("Document")).setAsString(QStringLiteral("Invoice"));
    h->FieldByName(QStringLiteral("Invoice no")).setAsString(QStringLiteral("T1"));
    h->FieldByName(QStringLiteral("Customer")).setAsString(QStringLiteral("Standard customer"));
    h->FieldByName(QStringLiteral("Printed")).setAsBoolean(true);
    h->Post();
    TfmInvoice& ed = editor();
    ed.dbIHead->First();
    ModalScript modal;
    modal.on(QStringLiteral("TfmGetInv"),
             [](QWidget* w) { static_cast<TfmGetInv*>(w)->gdFaktsokDblClick(); });
    ed.btnOpenClick();
    ASSERT_TRUE(ed.DocIsTemplate);
    ed.edCust->setText(QStringLiteral("Acme"));
    ed.edCustNo->setText(QStringLiteral("17"));
    printThroughPreview(ed, file(QStringLiteral("template.pdf")));
    h = heads();
    EXPECT_EQ(h->RecordCount(), 2);
    h->First();
    EXPECT_EQ(h->FieldByName(QStringLiteral("Customer")).AsString(),
              QStringLiteral("Standard customer"));
    auto c = customers();
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), QStringLiteral("17")));
    EXPECT_TRUE(c->FieldByName(QStringLiteral("Periods sales")).AsCurrency().isZero())
        << "a document printed before counts no more";
}

TEST_F(PrintingTest, ClosingAsksToPrintThenToSave) {
    TfmInvoice& ed = writeDocument();
    messages.answer(ui::MsgButton::Yes); // Print the document?
    PrintDialogScript printer;
    printer.answer(file(QStringLiteral("closing.pdf")));
    ModalScript modal;
    modal.on(QStringLiteral("ReportPreview"),
             [](QWidget* w) { static_cast<report::PreviewWindow*>(w)->btnPrintClick(); });
    ed.close();
    EXPECT_EQ(messages.texts().count(QStringLiteral("Print the document?")), 1);
    EXPECT_EQ(messages.texts().count(QStringLiteral("Save the document?")), 0)
        << "printed documents are saved already";
    EXPECT_EQ(heads()->RecordCount(), 1);
}

TEST_F(PrintingTest, NonLatinNamesCanBeFoundInThePdf) {
    TfmInvoice& ed = writeDocument();
    ed.edCust->setText(QStringLiteral("Zażółć Gęślą Ltd"));
    ed.edCustAddressLine1->setText(QStringLiteral("Οδός Αθηνάς 5"));
    ed.dbTRow->First();
    ed.dbTRow->Edit();
    ed.dbTRow->FieldByName(QStringLiteral("Description"))
        .setAsString(QStringLiteral("Краска белая"));
    ed.dbTRow->Post();
    const QString pdf = file(QStringLiteral("names.pdf"));
    FileDialogScript dialog;
    dialog.answer(pdf);
    messages.answer(ui::MsgButton::No);
    ed.btnPdfClick();
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Zażółć Gęślą Ltd"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Οδός Αθηνάς 5")));
    EXPECT_TRUE(text.contains(QStringLiteral("Краска белая")));
}

// A store that fails at any write leaves no torn document: either the head, its rows and the
// statistics are all there, or none of them.
TEST_F(PrintingTest, AStoreThatFailsAtAnyWriteLeavesNothingHalfDone) {
    windows.reset();
    db::FaultInjection::enable();
    int stored = 0;
    int failed = 0;
    for (int budget = 0; budget < 400; budget += 3) {
        {
            TfmInvoice& ed = writeDocument();
            ed.DocPrinted = true;
            db::FaultInjection::failAfter(budget);
            ed.afterPrinting();
            db::FaultInjection::disarm();
            const bool ok = ed.headLocked();
            ok ? ++stored : ++failed;
            ed.DocSaved = ed.DocPrinted = true;
            windows.reset();
        }
        auto base = db::Database::open(dir.path());
        ASSERT_EQ(base->integrityCheck(), QStringLiteral("ok")) << budget;
        db::Session s;
        s.AddPassword(QStringLiteral("GRAND"));
        s.AddPassword(QStringLiteral("KQW52TZ"));
        s.AddPassword(QStringLiteral("PLOV81"));
        db::Query q;
        q.setSession(&s);
        q.setDatabaseName(dir.path());
        q.SQL() << QStringLiteral("SELECT (SELECT COUNT(*) FROM IHead) AS H, (SELECT COUNT(*) FROM "
                                  "IRow) AS R, (SELECT \"Periods sales\" FROM Customers) AS S");
        q.Open();
        ASSERT_EQ(q.FieldByName(QStringLiteral("H")).AsInteger(), stored) << budget;
        ASSERT_EQ(q.FieldByName(QStringLiteral("R")).AsInteger(), stored * 2) << budget;
        ASSERT_EQ(q.FieldByName(QStringLiteral("S")).AsCurrency(), money("48.75") * stored)
            << budget;
        if (failed > 0 && stored > 3)
            break;
    }
    db::FaultInjection::disable();
    EXPECT_GT(failed, 0);
    EXPECT_GT(stored, 0);
}

TEST_F(EditorTest, AFreshInstallationPrintsWithTheFirstDesignOffered) {
    Service::UserDefaultValues();
    EXPECT_EQ(Service::DesignFile, dir.file(QStringLiteral("Classic.ini")));
    setting(QStringLiteral("DesignFile"), dir.file(QStringLiteral("Letter.ini")));
    Service::UserDefaultValues();
    EXPECT_EQ(Service::DesignFile, dir.file(QStringLiteral("Letter.ini")))
        << "a chosen design stays";
    QFile::remove(dir.file(QStringLiteral("Design.ini")));
    setting(QStringLiteral("DesignFile"), QString());
    Service::UserDefaultValues();
    EXPECT_TRUE(Service::DesignFile.isEmpty());
}

TEST_F(EditorTest, FreeTextMenuOpensTheFreeTextEditorAndShowsTheChosenText) {
    auto texts = open(QStringLiteral("FreeText"));
    texts->Append();
    texts->FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("Thanks"));
    texts->FieldByName(QStringLiteral("Text"))
        .setAsString(QStringLiteral("Thank you for your order"));
    texts->Post();
    TfmInvoice& ed = editor();
    EXPECT_TRUE(ed.mTotal->toPlainText().isEmpty());
    ModalScript modal;
    modal.on(QStringLiteral("TfmFriText"),
             [](QWidget*) { Service::FriTextNamn = QStringLiteral("thanks"); });
    ed.mnFreeTextClick();
    EXPECT_EQ(modal.shown(), QStringList{QStringLiteral("TfmFriText")});
    EXPECT_EQ(ed.mTotal->toPlainText(), QStringLiteral("Thank you for your order"));
    EXPECT_TRUE(ed.dbFreeText->Active());
}

TEST_F(PrintingTest, AnInvoiceInEuroCarriesTheScanToPayCode) {
    Service::CompanyName = QStringLiteral("Nord GmbH");
    Service::CompanyIBAN = QStringLiteral("DE89370400440532013000");
    Service::CompanyBIC = QStringLiteral("COBADEFFXXX");
    Service::CompanyCountry = QStringLiteral("DE");
    TfmInvoice& ed = writeDocument();
    const QString pdf = file(QStringLiteral("epc.pdf"));
    FileDialogScript dialog;
    dialog.answer(pdf);
    messages.answer(ui::MsgButton::No);
    ed.btnPdfClick();
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(qpdfChecks(pdf));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-f"),
         QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), pdf,
         file(QStringLiteral("epc"))});
    const QStringList pages = QDir(pdfDir.path()).entryList({QStringLiteral("epc*.png")});
    ASSERT_EQ(pages.size(), 1);
    int code = -1;
    const QString read =
        output(QStringLiteral("zbarimg"),
               {QStringLiteral("--quiet"), QStringLiteral("--raw"), file(pages.first())}, &code);
    ASSERT_EQ(code, 0) << read.toStdString();
    // Computed here from the printed document: EPC069-12 version 002, UTF-8, credit transfer.
    const QString expected = QStringLiteral("BCD\n002\n1\nSCT\nCOBADEFFXXX\nNord GmbH\n"
                                            "DE89370400440532013000\nEUR48.75\n\n\n1023");
    EXPECT_EQ(read.trimmed().toStdString(), expected.toStdString());

    // Not in another currency, nor on a quotation.
    Service::CompanyCurrency = QStringLiteral("SEK");
    EXPECT_FALSE(
        printing::documentPayment(QStringLiteral("Invoice"), money("10"), QStringLiteral("1")));
    Service::CompanyCurrency.clear();
    EXPECT_TRUE(
        printing::documentPayment(QStringLiteral("Invoice"), money("10"), QStringLiteral("1")));
    EXPECT_FALSE(
        printing::documentPayment(QStringLiteral("Quotation"), money("10"), QStringLiteral("1")));
    EXPECT_FALSE(
        printing::documentPayment(QStringLiteral("Invoice"), money("0"), QStringLiteral("1")));
}
