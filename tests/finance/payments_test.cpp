#include "financefixture.h"

#include "finance/payments.h"
#include "finance/tfminvreg.h"
#include "plugins/upfintf.h"
#include "ui/dbgrid.h"
#include "ui/numberbox.h"

#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>

namespace {

// Open invoices for the payment book: 1000 due 30 days ago, issued 60 days ago.
class PaymentsTest : public FinanceTest {
protected:
    qint64 openInvoice(const QString& number, const char* total = "1000",
                       const QString& kind = QStringLiteral("Invoice")) {
        return addHead(
            {.number = number, .total = total, .rest = total, .paid = false, .kind = kind});
    }
    struct Stored {
        Currency rest;
        QDate paid, archived;
        bool delayEmpty = true;
        int delay = 0;
    };
    Stored stored(qint64 id) {
        auto t = heads();
        Stored s;
        s.rest = headField(*t, id, "Rest").AsCurrency();
        s.paid = t->FieldByName(QStringLiteral("Paid")).AsDate();
        s.archived = t->FieldByName(QStringLiteral("Archived")).AsDate();
        s.delayEmpty = t->FieldByName(QStringLiteral("Delay")).IsNull();
        s.delay = static_cast<int>(t->FieldByName(QStringLiteral("Delay")).AsInteger());
        return s;
    }
    int paymentCount() {
        auto t = open(QStringLiteral("Payments"));
        return t->RecordCount();
    }
    qint64 lastPaymentId() {
        auto t = open(QStringLiteral("Payments"));
        t->Last();
        return t->FieldByName(QStringLiteral("ID")).AsInteger();
    }
    QDate due() const { return QDate::currentDate().addDays(-30); }

    db::Session session;
    void SetUp() override {
        FinanceTest::SetUp();
        session.AddPassword(QStringLiteral("GRAND"));
    }
    finance::PaymentBook book() { return finance::PaymentBook(session, dir.path()); }
};

} // namespace

TEST_F(PaymentsTest, PaymentsLowerTheRestAndTheLastOneMarksTheInvoicePaid) {
    const qint64 id = openInvoice(QStringLiteral("1023"));
    finance::PaymentBook b = book();
    QString error;
    ASSERT_TRUE(b.record(id, due().addDays(5), money("400"), QStringLiteral("first"), &error))
        << error.toStdString();
    Stored s = stored(id);
    EXPECT_EQ(s.rest, money("600"));
    EXPECT_FALSE(s.paid.isValid());
    EXPECT_FALSE(s.archived.isValid());
    EXPECT_TRUE(s.delayEmpty);

    ASSERT_TRUE(b.record(id, due().addDays(15), money("600"), QString(), &error));
    s = stored(id);
    EXPECT_TRUE(s.rest.isZero());
    EXPECT_EQ(s.paid, due().addDays(15));
    EXPECT_EQ(s.archived, due().addDays(15));
    EXPECT_EQ(s.delay, 15);
    EXPECT_EQ(paymentCount(), 2);

    // Paid before the due date: no delay.
    const qint64 early = openInvoice(QStringLiteral("1024"));
    ASSERT_TRUE(b.record(early, due().addDays(-3), money("1000"), QString(), &error));
    EXPECT_EQ(stored(early).delay, 0);
    EXPECT_FALSE(stored(early).delayEmpty);

    // A credit invoice is settled with a refund, a negative amount.
    const qint64 credit =
        openInvoice(QStringLiteral("1025"), "-200", QStringLiteral("Credit invoice"));
    EXPECT_FALSE(b.record(credit, due(), money("200"), QString(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("negative"))) << error.toStdString();
    ASSERT_TRUE(b.record(credit, due(), money("-200"), QString(), &error));
    EXPECT_TRUE(stored(credit).rest.isZero());
}

TEST_F(PaymentsTest, RefusedPaymentsSayWhyAndStoreNothing) {
    const qint64 id = openInvoice(QStringLiteral("1023"));
    finance::PaymentBook b = book();
    QString error;
    EXPECT_FALSE(b.record(id, due(), money("1000.01"), QString(), &error));
    EXPECT_EQ(error, QStringLiteral("Amount: the payment of %1 is larger than the rest of "
                                    "invoice 1023 (%2).")
                         .arg(money("1000.01").format(2), money("1000").format(2)));
    EXPECT_FALSE(b.record(id, due().addDays(-31), money("10"), QString(), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Payment date: ")));
    EXPECT_TRUE(error.contains(QStringLiteral("is before the invoice date")));
    EXPECT_FALSE(b.record(id, due(), Currency(), QString(), &error));
    EXPECT_FALSE(b.record(id, due(), money("-5"), QString(), &error));
    EXPECT_FALSE(b.record(id + 100, due(), money("5"), QString(), &error));
    EXPECT_EQ(error, QStringLiteral("The invoice is no longer stored."));
    EXPECT_EQ(paymentCount(), 0);
    EXPECT_EQ(stored(id).rest, money("1000"));

    // On the invoice date itself a payment is taken; once paid in full no more.
    ASSERT_TRUE(b.record(id, due().addDays(-30), money("1000"), QString(), &error));
    EXPECT_FALSE(b.record(id, due(), money("1"), QString(), &error));
    EXPECT_EQ(error, QStringLiteral("Invoice 1023 is paid in full."));
    EXPECT_EQ(paymentCount(), 1);
}

TEST_F(PaymentsTest, AReversedPaymentRestoresRestPaidAndDelay) {
    const qint64 id = openInvoice(QStringLiteral("1023"));
    finance::PaymentBook b = book();
    QString error;
    ASSERT_TRUE(b.record(id, due().addDays(2), money("250"), QString(), &error));
    const qint64 first = lastPaymentId();
    ASSERT_TRUE(b.record(id, due().addDays(15), money("750"), QStringLiteral("wrong"), &error));
    const qint64 wrong = lastPaymentId();
    ASSERT_EQ(stored(id).delay, 15);

    ASSERT_TRUE(b.reverse(wrong, QDate::currentDate(), &error)) << error.toStdString();
    Stored s = stored(id);
    EXPECT_EQ(s.rest, money("750"));
    EXPECT_FALSE(s.paid.isValid());
    EXPECT_FALSE(s.archived.isValid());
    EXPECT_TRUE(s.delayEmpty);
    // The record stays, marked; it cannot be reversed twice.
    EXPECT_EQ(paymentCount(), 2);
    EXPECT_FALSE(b.reverse(wrong, QDate::currentDate(), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("This payment was reversed on ")));
    EXPECT_EQ(stored(id).rest, money("750"));

    // The right payment afterwards pays the invoice with its own delay.
    ASSERT_TRUE(b.record(id, due().addDays(9), money("750"), QString(), &error));
    EXPECT_EQ(stored(id).delay, 9);
    ASSERT_TRUE(b.reverse(first, QDate::currentDate(), &error));
    EXPECT_EQ(stored(id).rest, money("250"));
    EXPECT_FALSE(stored(id).paid.isValid());
    EXPECT_FALSE(b.reverse(first + 1000, QDate::currentDate(), &error));
}

TEST_F(PaymentsTest, TheRegisterListsFiltersSortsAndTakesPayments) {
    const qint64 a = openInvoice(QStringLiteral("1023"), "1000");
    const qint64 b = openInvoice(QStringLiteral("1024"), "300");
    addHead({.number = QStringLiteral("1025"), .total = "500", .delay = 4}); // paid
    addHead({.number = QStringLiteral("Q1"),
             .total = "80",
             .rest = "80",
             .paid = false,
             .kind = QStringLiteral("Quotation")});
    {
        // Not overdue: due in the future.
        auto t = heads();
        ASSERT_TRUE(t->Locate(QStringLiteral("ID"), b));
        t->Edit();
        t->FieldByName(QStringLiteral("Due")).setAsDate(QDate::currentDate().addDays(10));
        t->Post();
    }
    TfmInvReg w(nullptr);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Invoice register"));
    auto shown = [&w] {
        QStringList out;
        for (w.qyInvoices->First(); !w.qyInvoices->Eof(); w.qyInvoices->Next())
            out << w.qyInvoices->FieldByName(QStringLiteral("Invoice no")).AsString();
        w.qyInvoices->First();
        return out;
    };
    auto by = [&w](finance::RegisterFilter f) { w.cbFilter->setCurrentIndex(static_cast<int>(f)); };
    EXPECT_EQ(shown(), QStringList({QStringLiteral("1023"), QStringLiteral("1024")}));
    by(finance::RegisterFilter::Overdue);
    EXPECT_EQ(shown(), QStringList{QStringLiteral("1023")});
    by(finance::RegisterFilter::Paid);
    EXPECT_EQ(shown(), QStringList{QStringLiteral("1025")});
    by(finance::RegisterFilter::All);
    w.gdInvoicesTitleClick(QStringLiteral("Total"));
    EXPECT_EQ(shown(), QStringList({QStringLiteral("1024"), QStringLiteral("1025"),
                                    QStringLiteral("1023")}));
    w.gdInvoicesTitleClick(QStringLiteral("Total"));
    EXPECT_TRUE(w.sortDescending());
    EXPECT_EQ(shown(), QStringList({QStringLiteral("1023"), QStringLiteral("1025"),
                                    QStringLiteral("1024")}));

    // A payment of the selected invoice; the list stays on it.
    ASSERT_TRUE(w.selectHead(a));
    w.edPayDate->setDate(due().addDays(1));
    w.edPayAmount->setText(QStringLiteral("12x"));
    w.btnRecordClick();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Amount: \"12x\" is not a number.")});
    messages.clear();
    w.edPayAmount->setText(QStringLiteral("2000"));
    w.btnRecordClick();
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts().first().contains(QStringLiteral("larger than the rest")));
    messages.clear();
    w.edPayAmount->setText(QStringLiteral("100"));
    w.edPayNote->setText(QStringLiteral("bank"));
    w.btnRecordClick();
    EXPECT_TRUE(messages.empty()) << messages.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w.selectedHead(), a);
    EXPECT_EQ(stored(a).rest, money("900"));
    ASSERT_EQ(w.qyPayments->RecordCount(), 1);
    EXPECT_EQ(w.qyPayments->FieldByName(QStringLiteral("Note")).AsString(), QStringLiteral("bank"));
    EXPECT_TRUE(w.edPayAmount->text().isEmpty());

    // Reversing asks first; No keeps it.
    w.btnReverseClick();
    EXPECT_EQ(stored(a).rest, money("900"));
    messages.answer(ui::MsgButton::Yes);
    w.btnReverseClick();
    EXPECT_EQ(stored(a).rest, money("1000"));
    EXPECT_FALSE(w.qyPayments->FieldByName(QStringLiteral("Reversed")).IsNull());
}

TEST_F(PaymentsTest, TheAddOnOpensTheRegisterByName) {
    const TupfClassFactory create = upfGetClass(QStringLiteral("TfmInvReg"));
    ASSERT_NE(create, nullptr);
    QWidget owner;
    std::unique_ptr<QObject> window(create(&owner));
    auto* reg = qobject_cast<TfmInvReg*>(window.get());
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg->parentWidget(), &owner);
    ModalScript modal;
    QMetaObject::invokeMethod(reg, "execute");
    EXPECT_EQ(modal.shown(), QStringList{QStringLiteral("TfmInvReg")});
}
