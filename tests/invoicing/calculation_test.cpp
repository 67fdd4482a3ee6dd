#include "invoicing/numbering.h"
#include "invoicing/rowcalc.h"

#include <gtest/gtest.h>

using invoicing::computeRows;
using invoicing::documentTotals;
using invoicing::WorkRow;

namespace {

Currency money(const char* text) {
    return *Currency::parse(QString::fromLatin1(text), QLocale::c());
}

WorkRow row(const char* price, double qty, double discount = 0, double vat = 0) {
    WorkRow r;
    r.price = money(price);
    r.qty = qty;
    r.discount = discount;
    r.vatPercent = vat;
    return r;
}

WorkRow tax(double percent, double vat = 0) {
    WorkRow r;
    r.code = QStringLiteral("Tax");
    r.unit = QStringLiteral("%");
    r.qty = percent;
    r.vatPercent = vat;
    return r;
}

} // namespace

TEST(RowComputation, ExactAmountsWithAndWithoutVatInPrice) {
    std::vector<WorkRow> rows{row("19.90", 3, 10, 25)};
    computeRows(rows, false);
    EXPECT_EQ(rows[0].sum, money("53.73"));
    EXPECT_EQ(rows[0].vat, money("13.4325"));

    rows = {row("125.00", 2, 0, 25)};
    computeRows(rows, true);
    EXPECT_EQ(rows[0].sum, money("250"));
    EXPECT_EQ(rows[0].vat, money("50")); // 250 × 20 / 100

    // Half a ten-thousandth goes to the even neighbour: 0.00125 × 1 at 10 % VAT.
    rows = {row("0.0001", 0.5), row("0.0003", 0.5)};
    computeRows(rows, false);
    EXPECT_EQ(rows[0].sum.raw(), 0); // 0.5 → 0
    EXPECT_EQ(rows[1].sum.raw(), 2); // 1.5 → 2

    // A discount of 100 leaves nothing, and a rate of -100 included in the price no VAT.
    rows = {row("80", 1, 100, 25), row("10", 1, 0, -100)};
    computeRows(rows, true);
    EXPECT_TRUE(rows[0].sum.isZero());
    EXPECT_TRUE(rows[0].vat.isZero());
    EXPECT_TRUE(rows[1].vat.isZero());
}

TEST(RowComputation, TaxRowsTakeTheRowsAboveBackToThePreviousTaxRow) {
    std::vector<WorkRow> rows{row("100", 1), row("200", 1), tax(10), row("50", 1), tax(10)};
    computeRows(rows, false);
    EXPECT_EQ(rows[2].price, money("300"));
    EXPECT_EQ(rows[2].sum, money("30"));
    EXPECT_EQ(rows[4].price, money("50")); // not 380: the first tax row and its base are done
    EXPECT_EQ(rows[4].sum, money("5"));

    rows = {row("1000", 1), tax(5, 25)};
    computeRows(rows, false);
    EXPECT_EQ(rows[1].price, money("1000"));
    EXPECT_EQ(rows[1].sum, money("50"));
    EXPECT_EQ(rows[1].vat, money("12.5"));

    // "Tax" with another unit is an ordinary row; a tax row at the top has nothing to charge.
    WorkRow plain = tax(3);
    plain.unit = QStringLiteral("pcs");
    plain.price = money("7");
    rows = {tax(2.5), plain};
    computeRows(rows, false);
    EXPECT_TRUE(rows[0].sum.isZero());
    EXPECT_EQ(rows[1].sum, money("21"));
}

TEST(RowComputation, AnAmountNoMoneyFieldHoldsIsFlaggedNotThrown) {
    std::vector<WorkRow> rows{row("900000000000", 1e9), row("5", 2), tax(10)};
    EXPECT_NO_THROW(computeRows(rows, false));
    EXPECT_TRUE(rows[0].overflow);
    EXPECT_TRUE(rows[0].sum.isZero());
    EXPECT_FALSE(rows[1].overflow);
    EXPECT_EQ(rows[2].sum, money("1")); // the overflowing row adds nothing to the base
}

TEST(Totals, RoundingAndCreditInvoices) {
    auto total = [](const char* sum, const char* vat, bool inPrice, bool rounding, bool credit) {
        return documentTotals(money(sum), money(vat), inPrice, rounding, credit).docTotal;
    };
    EXPECT_EQ(total("99.60", "24.90", false, true, false), money("124")); // 124.50 → even 124
    EXPECT_EQ(total("99.60", "25.00", false, true, false), money("125"));
    EXPECT_EQ(total("100.51", "0", false, true, false), money("101"));
    EXPECT_EQ(total("101.50", "0", false, true, false), money("102"));
    EXPECT_EQ(total("100", "25", false, false, true), money("-125"));
    EXPECT_EQ(total("250", "50", true, false, false), money("250")); // VAT inside the sum
    EXPECT_EQ(total("0", "0", false, true, true), money("0"));
}

TEST(Numbering, SchemesAndTheirWorkingCopies) {
    invoicing::Sequences seq{0, 41};
    const QDate day(2006, 12, 7);
    const QString iso = QStringLiteral("yyyy-MM-dd");
    EXPECT_EQ(invoicing::NextInvoiceNo(2, seq, day, iso), QStringLiteral("42"));
    EXPECT_EQ(seq.totalSeq, 42);
    seq = {7, 0};
    EXPECT_EQ(invoicing::NextInvoiceNo(1, seq, day, iso), QStringLiteral("200612078"));
    EXPECT_EQ(seq.daySeq, 8);
    EXPECT_EQ(invoicing::NextInvoiceNo(1, seq, day, QStringLiteral("dd.MM.yyyy")),
              QStringLiteral("07.12.20069"));
    // Manual numbering gives nothing and changes nothing.
    EXPECT_TRUE(invoicing::NextInvoiceNo(0, seq, day, iso).isEmpty());
    EXPECT_EQ(seq.daySeq, 9);
}

TEST(Numbering, NumbersAlreadyStoredAreSkipped) {
    const QSet<QString> used{QStringLiteral("42"), QStringLiteral("43"),
                             QStringLiteral("200612078")};
    auto inUse = [&used](const QString& n) { return used.contains(n); };
    invoicing::Sequences seq{7, 41};
    EXPECT_EQ(
        invoicing::NextInvoiceNo(2, seq, QDate(2006, 12, 7), QStringLiteral("yyyy-MM-dd"), inUse),
        QStringLiteral("44"));
    EXPECT_EQ(seq.totalSeq, 44);
    EXPECT_EQ(
        invoicing::NextInvoiceNo(1, seq, QDate(2006, 12, 7), QStringLiteral("yyyy-MM-dd"), inUse),
        QStringLiteral("200612079"));
    // A table that holds every number cannot hang the editor.
    invoicing::Sequences all{0, 0};
    EXPECT_FALSE(
        invoicing::NextInvoiceNo(2, all, QDate(2006, 12, 7), QString(), [](const QString&) {
            return true;
        }).isEmpty());
}
