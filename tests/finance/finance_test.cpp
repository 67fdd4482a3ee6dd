#include "financefixture.h"

#include "db/query.h"
#include "invoicing/companions.h"
#include "ui/dbcontrols.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

namespace {

// Finance charging at 8 % a year, threshold 3, terms 20 days.
class FinanceWindowTest : public FinanceTest {
protected:
    void SetUp() override {
        FinanceTest::SetUp();
        setting(QStringLiteral("Interestrate"), QStringLiteral("8"));
        setting(QStringLiteral("Threshold"), QStringLiteral("3"));
        setting(QStringLiteral("Terms"), QStringLiteral("20"));
    }
    // Prints the finance invoice from the editor as a PDF file, as the user would.
    void printAsPdf(ModalScript& modal, FileDialogScript& files, const QString& pdf) {
        files.answer(pdf);
        modal.on(QStringLiteral("TfmInvoice"),
                 [](QWidget* w) { static_cast<TfmInvoice*>(w)->btnPdfClick(); });
    }
    QString pdfFile() { return dir.file(QStringLiteral("finance.pdf")); }
    // A field of the editor's last working row.
    static db::Field& lastRow(TfmInvoice& ed, const char* field) {
        ed.dbTRow->Last();
        return ed.dbTRow->FieldByName(QString::fromLatin1(field));
    }
};

} // namespace

TEST_F(FinanceWindowTest, ListsOnlyInvoicesPaidInFullLateEnoughAndNotDealtWith) {
    addHead({.number = QStringLiteral("1023"), .delay = 15});               // 3.3333
    addHead({.number = QStringLiteral("1024"), .delay = 40, .rest = "50"}); // partly paid
    addHead({.number = QStringLiteral("1025"), .delay = 0});                // on time
    addHead({.number = QStringLiteral("1026"), .delay = -5});               // early
    addHead({.number = QStringLiteral("1027"), .delay = 30, .interestCharged = "0"});
    addHead({.number = QStringLiteral("1028"), .delay = 30, .interestCharged = "6.67"});
    addHead({.number = QStringLiteral("1029"), .delay = 20, .rest = nullptr}); // 4.4444
    addHead({.number = QStringLiteral("1030"),
             .total = "-1000",
             .delay = 30,
             .kind = QStringLiteral("Credit invoice")});
    addHead({.number = QStringLiteral("1031"), .delay = 30, .rest = "1000", .paid = false});
    addHead({.number = QStringLiteral("1032"), .total = "100", .delay = 15}); // 0.3333

    TfmFinance w(nullptr);
    ASSERT_TRUE(w.usable());
    QStringList numbers = listed(w);
    numbers.sort();
    EXPECT_EQ(numbers, QStringList({QStringLiteral("1023"), QStringLiteral("1029")}));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Finance charging"));
    EXPECT_EQ(w.helpContext(), 370);

    // The selected row's interest, charge and sum, with the currency sign.
    for (w.qyInv->First(); !w.qyInv->Eof(); w.qyInv->Next())
        if (w.InvNo == QLatin1String("1023"))
            break;
    ASSERT_EQ(w.InvNo, QStringLiteral("1023"));
    EXPECT_EQ(w.Delay, 15);
    EXPECT_EQ(w.Interest, money("3.3333"));
    EXPECT_EQ(w.edInterest->text(), money("3.3333").format(2, true));
    EXPECT_EQ(w.edInvCharge->text(), Currency().format(2, true));
    EXPECT_EQ(w.edToInvoice->text(), money("3.3333").format(2, true));
    EXPECT_EQ(w.dbedInvoice->text(), QStringLiteral("1023"));
    EXPECT_EQ(w.dbedDelay->text(), QStringLiteral("15"));
    EXPECT_TRUE(messages.empty()) << messages.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(FinanceWindowTest, TheThresholdDecidesAndRateZeroListsNothing) {
    addHead({.number = QStringLiteral("1023"), .delay = 15});
    setting(QStringLiteral("Threshold"), QStringLiteral("5"));
    {
        TfmFinance w(nullptr);
        EXPECT_TRUE(listed(w).isEmpty());
    }
    // The listing compares the unrounded interest, 3.33333...
    setting(QStringLiteral("Threshold"), QStringLiteral("3.3334"));
    {
        TfmFinance w(nullptr);
        EXPECT_TRUE(listed(w).isEmpty()) << "the interest must exceed the threshold";
    }
    setting(QStringLiteral("Threshold"), QStringLiteral("3.3333"));
    {
        TfmFinance w(nullptr);
        EXPECT_EQ(listed(w), QStringList{QStringLiteral("1023")});
    }
    setting(QStringLiteral("Interestrate"), QStringLiteral("0"));
    setting(QStringLiteral("Threshold"), QStringLiteral("0"));
    TfmFinance w(nullptr);
    EXPECT_TRUE(listed(w).isEmpty());
    EXPECT_EQ(w.SelectedID, 0);
    EXPECT_FALSE(w.btnPrint->isEnabled());
    EXPECT_FALSE(w.btnSkip->isEnabled());
    EXPECT_TRUE(w.edInterest->text().isEmpty());
}

TEST_F(FinanceWindowTest, PrintWithAnEmptyListDoesNothing) {
    const qint64 unpaid =
        addHead({.number = QStringLiteral("1023"), .delay = 15, .rest = "10", .paid = true});
    TfmFinance w(nullptr);
    ASSERT_TRUE(listed(w).isEmpty());
    ModalScript modal;
    w.btnPrintClick();
    w.btnSkipClick();
    EXPECT_TRUE(modal.shown().isEmpty());
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(w.FillFinanceInvoice());
    EXPECT_TRUE(interestIsEmpty(unpaid));
    auto h = heads();
    EXPECT_EQ(h->RecordCount(), 1) << "no finance invoice was stored";
}

TEST_F(FinanceWindowTest, ASettingThatIsNotANumberKeepsTheWindowFromOpening) {
    addHead({.number = QStringLiteral("1023"), .delay = 15});
    setting(QStringLiteral("InvoiceCharge"), QStringLiteral("25 kr"));
    ModalScript modal;
    openFinanceCharging(nullptr);
    EXPECT_TRUE(modal.shown().isEmpty());
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts().first().startsWith(
        QStringLiteral("Finance charging cannot be opened.\n")));
    EXPECT_TRUE(messages.texts().first().contains(QStringLiteral("\"InvoiceCharge\"")));
    EXPECT_TRUE(messages.texts().first().contains(QStringLiteral("\"25 kr\" is not a number")));

    TfmFinance w(nullptr);
    EXPECT_FALSE(w.usable());
    EXPECT_EQ(w.invoicingWindows(), nullptr);
    EXPECT_FALSE(w.qyInv->Active());
}

TEST_F(FinanceWindowTest, SkipMarksOnlyTheSelectedHeadEvenWhenItsNumberIsShared) {
    const qint64 late = addHead({.number = QStringLiteral("1023"), .delay = 15});
    // Another head carries the same number (an older document, not paid yet).
    const qint64 other =
        addHead({.number = QStringLiteral("1023"), .delay = 0, .rest = "900", .paid = false});
    TfmFinance w(nullptr);
    ASSERT_EQ(listed(w), QStringList{QStringLiteral("1023")});
    ASSERT_EQ(w.SelectedID, late);

    // No changes nothing.
    w.btnSkipClick();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Remove this invoice from the list?")});
    EXPECT_TRUE(interestIsEmpty(late));
    EXPECT_EQ(listed(w).size(), 1);

    messages.answer(ui::MsgButton::Yes);
    w.btnSkipClick();
    EXPECT_EQ(interestOf(late), Currency());
    EXPECT_FALSE(interestIsEmpty(late));
    EXPECT_TRUE(interestIsEmpty(other)) << "the other head of the same number is untouched";
    EXPECT_TRUE(listed(w).isEmpty());
    TfmFinance again(nullptr);
    EXPECT_TRUE(listed(again).isEmpty()) << "a skipped invoice never returns";
}

TEST_F(FinanceWindowTest, TheFinanceInvoiceInTheEditor) {
    addHead({.number = QStringLiteral("1023"), .delay = 15});
    {
        TfmFinance w(nullptr);
        ASSERT_TRUE(w.FillFinanceInvoice());
        TfmInvoice& ed = *w.invoicingWindows()->editor;
        EXPECT_TRUE(ed.ownerIsFinance());
        EXPECT_EQ(ed.parentWidget(), &w);
        EXPECT_EQ(ed.edInvNo->text(), QStringLiteral("1023-F"));
        EXPECT_EQ(ed.edCustNo->text(), QStringLiteral("17"));
        EXPECT_EQ(ed.edCust->text(), QStringLiteral("Acme"));
        EXPECT_EQ(ed.edCustAddressLine1->text(), QStringLiteral("Street 1"));
        EXPECT_EQ(ed.edCustAddressLine2->text(), QStringLiteral("22100 Lund"));
        EXPECT_EQ(ed.edCustAddressLine3->text(), QStringLiteral("Sweden"));
        EXPECT_EQ(ed.edYourReference->text(), QStringLiteral("Ms Berg"));
        EXPECT_EQ(ed.edOurReference->text(), QStringLiteral("Mr Holm"));
        EXPECT_EQ(ed.TermsDays, 20);
        EXPECT_EQ(ed.edDueDate->date(), ed.edInvDate->date().addDays(20));
        EXPECT_FALSE(ed.DocPrinted || ed.DocSaved || ed.DocOpened || ed.DocIsTemplate ||
                     ed.DocWasPrinted);
        EXPECT_EQ(workColumn(QStringLiteral("Item")),
                  QStringList({QStringLiteral(" "), QStringLiteral("1")}));
        EXPECT_EQ(workColumn(QStringLiteral("Description")),
                  QStringList({QStringLiteral("Finance charge for delayed payment"),
                               QStringLiteral("Invoice 1023, 15 days at 8 %")}));
        EXPECT_TRUE(workColumn(QStringLiteral("Qty")).first().isEmpty()) << "a heading row";
        EXPECT_EQ(lastRow(ed, "Price").AsCurrency(), money("3.3333"));
        EXPECT_DOUBLE_EQ(lastRow(ed, "Qty").AsFloat(), 1);
        // The column exit computed the rows and the total (the interest bears no VAT).
        EXPECT_EQ(lastRow(ed, "Sum").AsCurrency(), money("3.3333"));
        EXPECT_EQ(ed.DocTotal.roundedTo(2), money("3.33"));
    }
    setting(QStringLiteral("InvoiceCharge"), QStringLiteral("25"));
    TfmFinance w(nullptr);
    EXPECT_EQ(w.edToInvoice->text(), money("28.3333").format(2, true));
    ASSERT_TRUE(w.FillFinanceInvoice());
    EXPECT_EQ(workColumn(QStringLiteral("Item")),
              QStringList({QStringLiteral(" "), QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(workColumn(QStringLiteral("Description")).last(), QStringLiteral("Invoice charge"));
    EXPECT_EQ(lastRow(*w.invoicingWindows()->editor, "Price").AsCurrency(), money("25"));
    // Filling again starts afresh.
    ASSERT_TRUE(w.FillFinanceInvoice());
    EXPECT_EQ(workColumn(QStringLiteral("Item")).size(), 3);
}

TEST_F(FinanceWindowTest, TheFinanceNumberGoesThroughTheNumberInUseCheck) {
    addHead({.number = QStringLiteral("1023"), .delay = 15});
    addHead({.number = QStringLiteral("1023-F"), .rest = "5", .paid = false});
    TfmFinance w(nullptr);
    ASSERT_TRUE(w.FillFinanceInvoice());
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Invoice number in use, set another number!")});
    EXPECT_TRUE(w.invoicingWindows()->editor->edInvNo->text().isEmpty());
}

TEST_F(FinanceWindowTest, InterestIsRecordedOnlyWhenTheFinanceInvoiceWasPrinted) {
    const qint64 late = addHead({.number = QStringLiteral("1023"), .delay = 15});
    const qint64 twin =
        addHead({.number = QStringLiteral("1023"), .delay = 0, .rest = "900", .paid = false});
    TfmFinance w(nullptr);
    ASSERT_EQ(w.SelectedID, late);

    // Aborted: nothing recorded, the invoice stays in the list.
    {
        ModalScript modal;
        modal.on(QStringLiteral("TfmInvoice"),
                 [](QWidget* e) { static_cast<TfmInvoice*>(e)->btnAbortClick(); });
        w.btnPrintClick();
        EXPECT_EQ(modal.shown(), QStringList{QStringLiteral("TfmInvoice")});
    }
    EXPECT_TRUE(interestIsEmpty(late));
    EXPECT_EQ(listed(w), QStringList{QStringLiteral("1023")});
    // Closed without printing: the same.
    {
        ModalScript modal;
        w.btnPrintClick();
    }
    EXPECT_TRUE(interestIsEmpty(late));
    EXPECT_TRUE(messages.empty()) << "the editor asks nothing when finance charging owns it";

    // Printed (as a PDF): the interest goes to the late invoice's head, not its twin's.
    {
        ModalScript modal;
        FileDialogScript files;
        printAsPdf(modal, files, pdfFile());
        w.btnPrintClick();
    }
    ASSERT_TRUE(QFile::exists(pdfFile()));
    // Only the editor's own question; the second showing of the same editor stores as the first.
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("View document?")});
    EXPECT_EQ(interestOf(late), money("3.3333"));
    EXPECT_TRUE(interestIsEmpty(twin));
    EXPECT_TRUE(listed(w).isEmpty());

    auto h = heads();
    QStringList numbers;
    for (h->First(); !h->Eof(); h->Next())
        numbers << h->FieldByName(QStringLiteral("Invoice no")).AsString() + QLatin1Char('/') +
                       h->FieldByName(QStringLiteral("Document")).AsString();
    ASSERT_TRUE(h->Locate(QStringLiteral("Invoice no"), QStringLiteral("1023-F")))
        << numbers.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(h->FieldByName(QStringLiteral("Printed")).AsBoolean());
    EXPECT_EQ(h->FieldByName(QStringLiteral("Customer")).AsString(), QStringLiteral("Acme"));
    EXPECT_EQ(h->FieldByName(QStringLiteral("Total")).AsCurrency().roundedTo(2), money("3.33"));
}
