#include "financefixture.h"

#include "finance/tfminvreg.h"
#include "report/preview.h"
#include "ui/numberbox.h"

#include <QDateEdit>
#include <QFile>
#include <QProcess>

namespace {

QString pdfText(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Printing from the preview, as a person confirming the print dialog would.
void printFromPreview(ModalScript& modal) {
    modal.on(QStringLiteral("ReportPreview"),
             [](QWidget* w) { static_cast<report::PreviewWindow*>(w)->btnPrintClick(); });
}

class PaymentFlowTest : public FinanceTest {
protected:
    void SetUp() override {
        FinanceTest::SetUp();
        addCustomer(QStringLiteral("17"), QStringLiteral("Acme"));
        addProduct(QStringLiteral("P1"), QStringLiteral("Paint"), "1000");
        addProduct(QStringLiteral("P2"), QStringLiteral("Brush"), "4.50");
        setting(QStringLiteral("Autonum"), QStringLiteral("2"));
        setting(QStringLiteral("LastTotalSeqNo"), QStringLiteral("1022"));
        setting(QStringLiteral("Terms"), QStringLiteral("10"));
        setting(QStringLiteral("Interestrate"), QStringLiteral("8"));
        setting(QStringLiteral("Threshold"), QStringLiteral("1"));
        Service::Disc = false;
        Service::DesignFile = dir.file(QStringLiteral("Classic.ini"));
    }
    // Writes and prints invoice 1023 in the editor of the main window; its total.
    Currency printInvoice(const QString& pdf) {
        TfmInvoice& ed = editor();
        ed.btnNewInvoiceClick();
        ed.cbDocument->setCurrentIndex(ed.cbDocument->findText(QStringLiteral("Invoice")));
        ed.edCustNo->setText(QStringLiteral("17"));
        ed.edCustNoExit();
        ed.dbTRow->EmptyTable();
        addRow(QStringLiteral("P1"), QStringLiteral("Paint"), 3, "1000", 25);
        addRow(QStringLiteral("P2"), QStringLiteral("Brush"), 2, "4.50", 25);
        ed.AllRows();
        ed.Totalsums();
        const Currency total = ed.DocTotal;
        PrintDialogScript printer;
        printer.answer(pdf);
        ModalScript modal;
        printFromPreview(modal);
        ed.btnPrintClick();
        windows.reset(); // the main window's editor goes before finance charging makes its own
        return total;
    }
};

} // namespace

TEST_F(PaymentFlowTest, ALatePaymentIsChargedOnAPrintedFinanceInvoiceAndAReversalUndoesIt) {
    const Currency total = printInvoice(dir.file(QStringLiteral("1023.pdf")));
    ASSERT_EQ(total, money("3761.25")); // (3000 + 9) + 25 % VAT
    auto h = heads();
    ASSERT_TRUE(h->Locate(QStringLiteral("Invoice no"), QStringLiteral("1023")));
    const qint64 id = h->FieldByName(QStringLiteral("ID")).AsInteger();
    const QDate due = h->FieldByName(QStringLiteral("Due")).AsDate();
    ASSERT_EQ(due, QDate::currentDate().addDays(10));
    ASSERT_EQ(h->FieldByName(QStringLiteral("Rest")).AsCurrency(), total);
    h.reset();

    // Paid in full 15 days after the due date, in the invoice register.
    {
        TfmInvReg reg(nullptr);
        ASSERT_TRUE(reg.selectHead(id));
        reg.edPayDate->setDate(due.addDays(15));
        reg.edPayAmount->setText(total.toString());
        reg.btnRecordClick();
        ASSERT_TRUE(messages.empty()) << messages.texts().join(QLatin1Char('|')).toStdString();
    }
    {
        auto t = heads();
        EXPECT_TRUE(headField(*t, id, "Rest").AsCurrency().isZero());
        EXPECT_EQ(t->FieldByName(QStringLiteral("Paid")).AsDate(), due.addDays(15));
        EXPECT_EQ(t->FieldByName(QStringLiteral("Delay")).AsInteger(), 15);
    }

    // Finance charging lists it and prints the finance invoice 1023-F.
    const Currency interest = money("12.5375"); // 3761.25 x 15 x 8 / 36000
    const QString pdf = dir.file(QStringLiteral("1023-F.pdf"));
    {
        TfmFinance finance(nullptr);
        ASSERT_EQ(listed(finance), QStringList{QStringLiteral("1023")});
        EXPECT_EQ(finance.Interest, interest);
        PrintDialogScript printer;
        printer.answer(pdf);
        ModalScript modal;
        QString numberShown;
        modal.on(QStringLiteral("TfmInvoice"), [&numberShown](QWidget* w) {
            auto* ed = static_cast<TfmInvoice*>(w);
            numberShown = ed->edInvNo->text();
            ed->btnPrintClick();
        });
        printFromPreview(modal);
        finance.btnPrintClick();
        EXPECT_EQ(numberShown, QStringLiteral("1023-F"));
        EXPECT_EQ(modal.shown(),
                  QStringList({QStringLiteral("TfmInvoice"), QStringLiteral("ReportPreview")}));
        EXPECT_TRUE(listed(finance).isEmpty());
    }
    ASSERT_TRUE(QFile::exists(pdf));
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("1023-F"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Finance charge for delayed"))) // wrapped
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Invoice 1023, 15 days at 8 %")));
    EXPECT_EQ(interestOf(id), interest);
    {
        auto t = heads();
        ASSERT_TRUE(t->Locate(QStringLiteral("Invoice no"), QStringLiteral("1023-F")));
        EXPECT_TRUE(t->FieldByName(QStringLiteral("Printed")).AsBoolean());
        EXPECT_EQ(t->FieldByName(QStringLiteral("Customer")).AsString(), QStringLiteral("Acme"));
    }

    // The payment was recorded wrongly after all: reversing it makes the invoice owe again.
    {
        TfmInvReg reg(nullptr);
        reg.cbFilter->setCurrentIndex(static_cast<int>(finance::RegisterFilter::All));
        ASSERT_TRUE(reg.selectHead(id));
        ASSERT_EQ(reg.qyPayments->RecordCount(), 1);
        messages.answer(ui::MsgButton::Yes);
        reg.btnReverseClick();
    }
    auto t = heads();
    EXPECT_EQ(headField(*t, id, "Rest").AsCurrency(), total);
    EXPECT_TRUE(t->FieldByName(QStringLiteral("Paid")).IsNull());
    EXPECT_TRUE(t->FieldByName(QStringLiteral("Archived")).IsNull());
    EXPECT_TRUE(t->FieldByName(QStringLiteral("Delay")).IsNull());
}
