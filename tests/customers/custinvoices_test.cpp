#include "customersfixture.h"

#include "customers/custhistory.h"
#include "customers/tfmcustinvoices.h"
#include "db/query.h"
#include "report/preview.h"
#include "ui/dbgrid.h"

#include <QLineEdit>

namespace {

QString sum(const char* amount) {
    return customers::formatSum(*Currency::parse(QLatin1String(amount)));
}

} // namespace

TEST_F(CustomersTest, HistorySumsCountOnlyWhatIsOwedAndWhatWasPaid) {
    const QDate paid(2026, 2, 1);
    // Owed: 200 left of 500, and an untouched 300.
    addHead({"Invoice", "K1", "1", "500", true, "200"});
    addHead({"Invoice", "K1", "2", "300", true});
    // Paid and archived: a receipt of 100 and an invoice of 40.
    addHead({"Receipt", "K1", "3", "100", true, "", paid, paid});
    addHead({"Invoice", "K1", "4", "40", true, "0", paid, paid});
    // Never in a sum: a credit invoice, a quotation, an unprinted invoice, an archived unpaid
    // invoice's total, and another customer's invoice.
    addHead({"Credit invoice", "K1", "5", "-70", true, "-70", paid, paid});
    addHead({"Quotation", "K1", "", "999", true});
    addHead({"Invoice", "K1", "", "800", false});
    addHead({"Invoice", "K1", "6", "60", true, "", QDate(), paid});
    addHead({"Invoice", "K2", "7", "1000", true});

    const customers::HistorySums s = customers::historySums(session, dir.path(), "K1");
    EXPECT_EQ(s.unpaid.toString(), QStringLiteral("500"));
    EXPECT_EQ(s.paid.toString(), QStringLiteral("140"));
    const customers::HistorySums none = customers::historySums(session, dir.path(), "K9");
    EXPECT_TRUE(none.unpaid.isZero());
    EXPECT_TRUE(none.paid.isZero());
}

TEST_F(CustomersTest, HistoryListsByDueDateWithColoursRowsAndPrint) {
    const QDate paid(2026, 2, 1);
    const qint64 late =
        addHead({"Invoice", "K1", "11", "500", true, "200", QDate(), QDate(), QDate(2026, 3, 1)});
    const qint64 early =
        addHead({"Invoice", "K1", "12", "300", false, "", QDate(), QDate(), QDate(2026, 1, 15)});
    addHead({"Receipt", "K1", "13", "100", true, "", paid, paid, QDate(2026, 2, 1)});
    addRow(late, "A1", "Apples");
    addRow(late, "A2", "Pears");
    addRow(early, "B1", "Bread");

    TfmCustInvoices w(nullptr, "K1", "Kappa Ltd");
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Customers invoices"));
    w.show();
    EXPECT_EQ(w.edUnpaid->text(), sum("200"));
    EXPECT_EQ(w.edPaid->text(), sum("100"));
    QAbstractItemModel* list = w.gdInvoices->model();
    ASSERT_EQ(list->rowCount(), 3);
    EXPECT_EQ(list->index(0, 1).data().toString(), QStringLiteral("12")); // earliest due first
    EXPECT_EQ(list->index(1, 1).data().toString(), QStringLiteral("13"));
    EXPECT_EQ(list->index(2, 1).data().toString(), QStringLiteral("11"));
    // Unprinted blue, archived grey, the others black.
    EXPECT_EQ(list->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::blue));
    EXPECT_EQ(list->index(1, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::gray));
    EXPECT_EQ(list->index(2, 0).data(Qt::ForegroundRole).value<QBrush>().color(),
              QColor(Qt::black));
    EXPECT_EQ(w.gdRows->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("-%"));
    // The rows follow the selected document at once.
    EXPECT_EQ(w.gdRows->model()->rowCount(), 1);
    EXPECT_EQ(w.gdRows->model()->index(0, 2).data().toString(), QStringLiteral("Bread"));
    w.qInvoices->Last();
    EXPECT_EQ(w.gdRows->model()->rowCount(), 2);
    EXPECT_EQ(w.gdRows->model()->index(1, 2).data().toString(), QStringLiteral("Pears"));

    ModalScript modal;
    QStringList texts;
    modal.on(QStringLiteral("ReportPreview"), [&](QWidget* p) { texts = previewTexts(p); });
    w.mnPrintClick();
    EXPECT_EQ(modal.shown(), QStringList{"ReportPreview"});
    for (const QString& expected :
         {QStringLiteral("Customer - sales"), QStringLiteral("K1"), QStringLiteral("Kappa Ltd"),
          QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13"), sum("200"), sum("100"),
          QStringLiteral("Acme AB")})
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString();
    EXPECT_FALSE(w.isVisible()); // closed after the print
    EXPECT_TRUE(messages.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(CustomersTest, HistoryOfACustomerWithoutDocumentsPrintsHeadersAndZeroSums) {
    TfmCustInvoices w(nullptr, "", "");
    w.show();
    EXPECT_EQ(w.gdInvoices->model()->rowCount(), 0);
    EXPECT_EQ(w.gdRows->model()->rowCount(), 0);
    EXPECT_EQ(w.edUnpaid->text(), sum("0"));
    ModalScript modal;
    QStringList texts;
    modal.on(QStringLiteral("ReportPreview"), [&](QWidget* p) { texts = previewTexts(p); });
    w.mnPrintClick();
    EXPECT_TRUE(texts.contains(QStringLiteral("Invoice no")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Unpaid:")));
}
