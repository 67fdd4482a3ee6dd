#include "editorfixture.h"

#include "db/tablemodel.h"
#include "ui/dbcontrols.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>

using invoicing::ColCode;
using invoicing::ColDescription;
using invoicing::ColDiscount;
using invoicing::ColItem;
using invoicing::ColPrice;
using invoicing::ColQty;
using invoicing::ColSum;
using invoicing::ColUnit;
using invoicing::ColVAT;

namespace {

// The editor on screen with the focus in its rows grid, driven by keys as a person would.
class RowsGridTest : public EditorTest {
protected:
    TfmInvoice& shown() {
        TfmInvoice& ed = editor();
        ed.show();
        QApplication::setActiveWindow(&ed);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&ed));
        return ed;
    }
    QWidget* focus() {
        // A window that closed hands the activation back through the event loop.
        QCoreApplication::processEvents();
        return QApplication::focusWidget();
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(focus(), static_cast<Qt::Key>(k), m);
    }
    void type(const QString& text) {
        for (QChar c : text)
            QTest::keyClick(focus(), c.toLatin1());
    }
    // Types a cell's text and Enter, as one moves along a row.
    void cell(const QString& text) {
        if (!text.isEmpty())
            type(text);
        key(Qt::Key_Return);
    }
    QString shownText(int row, int column) {
        return grid()->model()->index(row, column).data().toString();
    }
    invoicing::InvoiceRowsGrid* grid() { return editor().gdInvoiceRows; }
    int column() { return grid()->currentIndex().column(); }
};

} // namespace

TEST_F(RowsGridTest, AWholeDocumentTypedWithTheKeyboardShowsExactAmounts) {
    addVatRates({QStringLiteral("25"), QStringLiteral("12")});
    addTax(QStringLiteral("Freight surcharge"), 5);
    TfmInvoice& ed = shown();
    ed.btnNewInvoiceClick();
    ed.focusRows(ColItem);
    ASSERT_EQ(focus(), grid());
    ASSERT_EQ(column(), ColItem);

    // Row 1: 3 × 19.90 at 10 % discount and 25 % VAT.
    cell("1");
    cell("A1");
    cell("Widget");
    cell("3");
    cell("pcs");
    cell("19.90");
    cell("10");
    cell("25");
    ASSERT_EQ(column(), ColSum);
    key(Qt::Key_Return); // leaving "Sum" at the end starts the next row
    ASSERT_EQ(ed.dbTRow->RecordCount(), 2);
    ASSERT_EQ(column(), ColItem);
    // Row 2: 2 × 125.50, repeating the rates of the row before.
    cell("2");
    cell("B2");
    cell("Gadget");
    cell("2");
    cell("pcs");
    cell("125.50");
    EXPECT_EQ(shownText(1, ColVAT), QStringLiteral("25"));
    EXPECT_EQ(shownText(1, ColDiscount), QStringLiteral("10"));
    cell("0"); // no discount on this one
    cell("12");
    key(Qt::Key_Return);
    // Row 3: the freight surcharge from the tax pick list (Alt in "Code").
    cell("3");
    ASSERT_EQ(column(), ColCode);
    ModalScript modal;
    modal.on(QStringLiteral("TfmTaxget"),
             [](QWidget* w) { static_cast<TfmTaxget*>(w)->TakeTax(); });
    key(Qt::Key_Alt);
    ASSERT_EQ(modal.shown(), QStringList{QStringLiteral("TfmTaxget")});
    ASSERT_EQ(focus(), grid()) << (focus() ? focus()->objectName().toStdString() : "none");
    key(Qt::Key_Right); // the next column exit computes the tax row
    EXPECT_EQ(workColumn(QStringLiteral("Code")),
              QStringList({QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("Tax")}));
    EXPECT_EQ(workColumn(QStringLiteral("Unit")),
              QStringList({QStringLiteral("pcs"), QStringLiteral("pcs"), QStringLiteral("%")}));
    // Expected, computed here: 53.73 (VAT 13.4325) + 251.00 (VAT 30.12); tax 5 % of 304.73,
    // with the 12 % VAT the new row took from the row before.
    const Currency sum1 = Currency::fromDouble(19.90L * 3 * 0.9L);
    const Currency sum2 = Currency::fromDouble(125.50L * 2);
    const Currency taxSum = Currency::fromDouble((sum1 + sum2).toLongDouble() * 5 / 100);
    const Currency vat = Currency::fromDouble(sum1.toLongDouble() * 25 / 100) +
                         Currency::fromDouble(sum2.toLongDouble() * 12 / 100) +
                         Currency::fromDouble(taxSum.toLongDouble() * 12 / 100);
    EXPECT_EQ(shownText(0, ColSum), sum1.format(2));
    EXPECT_EQ(shownText(1, ColSum), sum2.format(2));
    EXPECT_EQ(shownText(2, ColPrice), (sum1 + sum2).format(2));
    EXPECT_EQ(shownText(2, ColSum), taxSum.format(2));
    EXPECT_EQ(shownText(2, ColQty), QStringLiteral("5"));
    EXPECT_EQ(shownText(2, ColUnit), QStringLiteral("%"));
    EXPECT_EQ(ed.edSum->text(), (sum1 + sum2 + taxSum).format(2));
    EXPECT_EQ(ed.edVAT->text(), vat.format(2));
    EXPECT_EQ(ed.edTotal->text(), (sum1 + sum2 + taxSum + vat).format(2));
    EXPECT_EQ(ed.DocTotal, sum1 + sum2 + taxSum + vat);
    // Stored amounts are exact ten-thousandths, never floating point.
    EXPECT_EQ(workColumn(QStringLiteral("VAT")).first(), QStringLiteral("13.4325"));
    EXPECT_TRUE(messages.empty()) << messages.texts().join('|').toStdString();
}

TEST_F(RowsGridTest, WhatIsNotANumberIsRefusedNamingTheColumn) {
    Service::VAT = false; // so that New starts no row of its own
    TfmInvoice& ed = shown();
    ed.btnNewInvoiceClick();
    addRow(QStringLiteral("A"), QStringLiteral("Widget"), 2, "10.00", 25);
    ed.AllRows();
    ed.Totalsums();
    invoicing::InvoiceRowsGrid* g = grid();
    EXPECT_FALSE(g->writeCell(0, ColQty, QStringLiteral("abc")));
    EXPECT_FALSE(g->writeCell(0, ColQty, QStringLiteral("1e300")));
    EXPECT_FALSE(g->writeCell(0, ColPrice, QStringLiteral("1.23456")));
    EXPECT_FALSE(g->writeCell(0, ColPrice, QStringLiteral("12,5,0")));
    EXPECT_FALSE(g->writeCell(0, ColDiscount, QStringLiteral("nan")));
    EXPECT_FALSE(g->writeCell(0, ColQty, QStringLiteral("5000000000000")));
    ASSERT_EQ(messages.texts().size(), 6);
    EXPECT_TRUE(messages.texts()[5].startsWith(QStringLiteral("Qty: 5000000000000 is outside")));
    EXPECT_EQ(messages.texts()[0], QStringLiteral("Qty: \"abc\" is not a number."));
    EXPECT_EQ(messages.texts()[1], QStringLiteral("Qty: \"1e300\" is not a number."));
    EXPECT_EQ(messages.texts()[2], QStringLiteral("Price: \"1.23456\" has more than 4 decimals."));
    EXPECT_TRUE(messages.texts()[3].startsWith(QStringLiteral("Price: ")));
    EXPECT_TRUE(messages.texts()[4].startsWith(QStringLiteral("-%: ")));
    // Nothing of the row changed, and the row is not left half edited.
    ed.AllRows();
    EXPECT_EQ(workColumn(QStringLiteral("Qty")), QStringList{QStringLiteral("2")});
    EXPECT_EQ(workColumn(QStringLiteral("Price")), QStringList{QStringLiteral("10")});
    EXPECT_EQ(workColumn(QStringLiteral("Sum")), QStringList{QStringLiteral("20")});
    // A price and a quantity each within reason whose product no field could hold.
    messages.clear();
    EXPECT_TRUE(g->writeCell(0, ColQty, QStringLiteral("900000000000")));
    EXPECT_FALSE(g->writeCell(0, ColPrice, QStringLiteral("900000000")));
    EXPECT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(g->writeCell(0, ColPrice, QStringLiteral("4.5")));
    ed.gdInvoiceRowsColExit(ColPrice);
    EXPECT_EQ(workColumn(QStringLiteral("Sum")), QStringList{QStringLiteral("4050000000000")});
}

TEST_F(RowsGridTest, TheThreeLimitsEmptyTheValueAndMoveTheGrid) {
    TfmInvoice& ed = shown();
    ed.btnNewInvoiceClick();
    ed.focusRows(ColItem);
    ASSERT_TRUE(grid()->writeCell(0, ColQty, QStringLiteral("999999")));
    grid()->setSelectedIndex(ColQty);
    grid()->setSelectedIndex(ColUnit);
    EXPECT_TRUE(messages.empty()) << "999 999 itself is accepted";
    EXPECT_EQ(workColumn(QStringLiteral("Qty")), QStringList{QStringLiteral("999999")});

    grid()->setSelectedIndex(ColQty);
    ASSERT_TRUE(grid()->writeCell(0, ColQty, QStringLiteral("999999.5")));
    grid()->setSelectedIndex(ColUnit);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Please, not more than 999 999")});
    EXPECT_EQ(workColumn(QStringLiteral("Qty")), QStringList{QString()});
    EXPECT_EQ(column(), ColDescription);

    messages.clear();
    ASSERT_TRUE(grid()->writeCell(0, ColQty, QStringLiteral("100000")));
    grid()->setSelectedIndex(ColPrice);
    ASSERT_TRUE(grid()->writeCell(0, ColPrice, QStringLiteral("100000")));
    grid()->setSelectedIndex(ColDiscount);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Please, not more than 99 999:-")});
    EXPECT_EQ(workColumn(QStringLiteral("Price")), QStringList{QString()});
    EXPECT_EQ(column(), ColQty);

    messages.clear();
    ASSERT_TRUE(grid()->writeCell(0, ColQty, QStringLiteral("2")));
    grid()->setSelectedIndex(ColPrice);
    ASSERT_TRUE(grid()->writeCell(0, ColPrice, QStringLiteral("1000000")));
    grid()->setSelectedIndex(ColDiscount);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Please, not more than 999 999:-")});
    EXPECT_EQ(column(), ColUnit);
    // The screen shows what is stored: no stale sum of the refused price.
    EXPECT_EQ(ed.edSum->text(), Currency().format(2));
}

TEST_F(RowsGridTest, EnterPassesHiddenColumns) {
    Service::Disc = false;
    Service::VAT = false;
    TfmInvoice& ed = shown();
    EXPECT_TRUE(grid()->isColumnHidden(ColDiscount));
    EXPECT_TRUE(grid()->isColumnHidden(ColVAT));
    EXPECT_FALSE(ed.edVAT->isVisible());
    ed.btnNewInvoiceClick();
    ed.focusRows(ColPrice);
    key(Qt::Key_Return);
    EXPECT_EQ(column(), ColSum);
}

TEST_F(RowsGridTest, ProductsFillTheRowByCodeEvenWhenHidden) {
    addProduct(QStringLiteral("SECRET"), QStringLiteral("Hidden thing"), "12.50", true);
    TfmInvoice& ed = shown();
    ed.btnNewInvoiceClick();
    ed.focusRows(ColCode);
    cell("secret");
    EXPECT_EQ(workColumn(QStringLiteral("Description")),
              QStringList{QStringLiteral("Hidden thing")});
    EXPECT_EQ(workColumn(QStringLiteral("Price")), QStringList{QStringLiteral("12.5")});
    EXPECT_EQ(workColumn(QStringLiteral("Unit")), QStringList{QStringLiteral("pcs")});
    // A row that has a description keeps it.
    ed.focusRows(ColDescription);
    grid()->writeCell(0, ColDescription, QStringLiteral("My own text"));
    grid()->setSelectedIndex(ColCode);
    grid()->setSelectedIndex(ColDescription);
    EXPECT_EQ(workColumn(QStringLiteral("Description")),
              QStringList{QStringLiteral("My own text")});

    // Without the products add-on the look-up says so and nothing is filled.
    Service::Modules = {QStringLiteral("CustModule")};
    ed.focusRows(ColCode);
    key(Qt::Key_F10);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Products module not installed.")});
}

TEST_F(RowsGridTest, LongDescriptionsAndRowDeletion) {
    TfmInvoice& ed = shown();
    ed.btnNewInvoiceClick();
    addRow(QStringLiteral("X"), QStringLiteral("Thing"), 1, "100", 25);
    ed.AllRows();
    ed.Totalsums();
    ed.focusRows(ColDescription);
    ASSERT_EQ(ed.dbTRow->RecNo(), 1);
    key(Qt::Key_Alt);
    ASSERT_TRUE(ed.pnlDesc->isVisible());
    EXPECT_FALSE(grid()->isEnabled());
    ed.mDesc->setPlainText(QStringLiteral("A very long text about the service\nsecond line"));
    ed.mDesc->moveCursor(QTextCursor::End);
    QTest::keyClick(ed.mDesc, Qt::Key_Space); // typed, so the memo writes its field
    ed.btnCloseClick();
    EXPECT_FALSE(ed.pnlDesc->isVisible());
    EXPECT_TRUE(grid()->isEnabled());
    EXPECT_EQ(column(), ColQty);
    EXPECT_EQ(workColumn(QStringLiteral("LongDesc")).last(), QStringLiteral("True"));
    EXPECT_EQ(workColumn(QStringLiteral("Description")).last(),
              QStringLiteral("A very long tex ..."));

    // Deleting asks first; No keeps the row.
    messages.answer(ui::MsgButton::No);
    ed.deleteCurrentRow();
    EXPECT_EQ(ed.dbTRow->RecordCount(), 2);
    messages.answer(ui::MsgButton::Yes);
    ed.deleteCurrentRow();
    EXPECT_EQ(ed.dbTRow->RecordCount(), 1);
    EXPECT_EQ(ed.edTotal->text(), Currency().format(2));
}

TEST_F(RowsGridTest, RoundingAndCreditInvoicesInTheTotalBox) {
    setting(QStringLiteral("Rounding"), QStringLiteral("1"));
    TfmInvoice& ed = shown();
    ed.btnNewInvoiceClick();
    addRow(QStringLiteral("A"), QStringLiteral("a"), 1, "99.60", 25);
    ed.AllRows();
    ed.Totalsums();
    EXPECT_EQ(ed.edSum->text(), QStringLiteral("99.60"));
    EXPECT_EQ(ed.edVAT->text(), QStringLiteral("24.90"));
    EXPECT_EQ(ed.edTotal->text(), QStringLiteral("124.00"));
    ed.cbDocument->setCurrentIndex(ed.cbDocument->findText(QStringLiteral("Credit invoice")));
    ed.Totalsums();
    EXPECT_EQ(ed.edTotal->text(), QStringLiteral("-124.00"));
    EXPECT_EQ(workColumn(QStringLiteral("Sum")).last(),
              QStringLiteral("99.6")); // rows stay positive
}
