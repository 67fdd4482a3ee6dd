// The amounts of an e-invoice beside the editor's own computation, and the unit codes.
#include "documents.h"

#include "einvoice/settlement.h"
#include "einvoice/units.h"

#include <gtest/gtest.h>

using namespace einvoice;
using namespace testdocs;

namespace {

Currency money(const char* text) {
    return *Currency::parse(QString::fromLatin1(text), QLocale::c());
}

Invoice withRows(QList<Row> rows, bool vatInPrice = false, bool rounding = false) {
    Invoice inv = simpleInvoice();
    inv.pricesIncludeVat = vatInPrice;
    inv.roundTotal = rounding;
    inv.vatRates = {{25, VatCategory::Standard, {}}, {0, VatCategory::ZeroRated, {}}};
    inv.rows = std::move(rows);
    computeRows(inv);
    return inv;
}

TEST(Settlement, DiscountedRowBecomesALineWithAnAllowance) {
    // 3 x 19.90 less 10 % at 25 %: the row's Sum is 53.73 and its VAT 13.4325.
    const Invoice inv = withRows({row("Paper", 3, "pcs", 19.90, 25, 10)});
    EXPECT_EQ(inv.rows[0].sum, money("53.73"));
    EXPECT_EQ(inv.rows[0].vat, money("13.4325"));

    const Settlement s = settle(inv);
    ASSERT_EQ(s.lines.size(), 1);
    const Line& line = s.lines[0];
    EXPECT_EQ(line.netPrice, "19.90");
    EXPECT_EQ(line.netAmount, money("53.73"));
    ASSERT_TRUE(line.allowance);
    EXPECT_FALSE(line.allowance->charge);
    EXPECT_EQ(line.allowance->percent, 10);
    EXPECT_EQ(line.allowance->base, money("59.70"));
    EXPECT_EQ(line.allowance->amount, money("5.97"));
    ASSERT_EQ(s.vat.size(), 1);
    EXPECT_EQ(s.vat[0].tax, money("13.43"));
    EXPECT_EQ(s.grandTotal, money("67.16"));
    EXPECT_EQ(s.payable, money("67.16"));
    EXPECT_TRUE(s.rounding.isZero());
}

TEST(Settlement, RowRoundingDifferencesGoIntoTheRoundingAmount) {
    // Each row's 0.125 is a line of 0.13 in cents; the page adds the four-decimal rows.
    const Invoice inv = withRows({row("A", 1, "", 0.125, 25), row("B", 1, "", 0.125, 25),
                                  row("C", 1, "", 0.125, 25), row("D", 1, "", 0.125, 25)});
    // Each row's VAT 0.03125 is 0.0312 in ten-thousandths (half to even): 0.6248, printed 0.62.
    EXPECT_EQ(editorTotal(inv), money("0.6248"));
    const Settlement s = settle(inv);
    EXPECT_EQ(s.lineTotal, money("0.52"));
    EXPECT_EQ(s.taxTotal, money("0.13"));
    EXPECT_EQ(s.grandTotal, money("0.65"));
    EXPECT_EQ(s.payable, money("0.62"));
    EXPECT_EQ(s.rounding, money("-0.03"));
}

TEST(Settlement, VatIsComputedOncePerCategoryAndRate) {
    // Per row the VAT is 3 x 0.2375 = 0.7125 (printed 0.71); on the category's 2.85 it is
    // 0.7125 rounded once, 0.71, in cents half away from zero.
    const Invoice inv = withRows({row("A", 1, "", 0.95, 25), row("B", 1, "", 0.95, 25),
                                  row("C", 1, "", 0.95, 25), row("Z", 2, "", 5.00, 0)});
    const Settlement s = settle(inv);
    ASSERT_EQ(s.vat.size(), 2);
    EXPECT_EQ(s.vat[0].category, VatCategory::Standard);
    EXPECT_EQ(s.vat[0].taxable, money("2.85"));
    EXPECT_EQ(s.vat[0].tax, money("0.71"));
    EXPECT_EQ(s.vat[1].category, VatCategory::ZeroRated);
    EXPECT_EQ(s.vat[1].taxable, money("10.00"));
    EXPECT_TRUE(s.vat[1].tax.isZero());
    EXPECT_EQ(s.payable, money("13.56")); // 12.85 + 0.7125
    EXPECT_EQ(s.rounding, money("0"));
}

TEST(Settlement, CentsRoundHalfAwayFromZero) {
    EXPECT_EQ(roundCents(money("0.125")), money("0.13"));
    EXPECT_EQ(roundCents(money("-0.125")), money("-0.13"));
    EXPECT_EQ(roundCents(money("0.1249")), money("0.12"));
    // 10.50 at 19 % is exactly 1.995: no floating step may turn it into 1.99.
    const Invoice inv = withRows({row("A", 1, "", 10.50, 19)});
    Invoice with19 = inv;
    with19.vatRates = {{19, VatCategory::Standard, {}}};
    EXPECT_EQ(settle(with19).vat[0].tax, money("2.00"));
}

TEST(Settlement, PricesIncludingVatAreSentNet) {
    // 2 x 125.00 including 25 %: Sum 250.00, VAT 50.00, net 200.00 at a net price of 100.00.
    const Invoice inv = withRows({row("Room", 2, "day", 125.00, 25)}, true);
    EXPECT_EQ(inv.rows[0].vat, money("50"));
    const Settlement s = settle(inv);
    EXPECT_EQ(s.lines[0].netPrice, "100.00");
    EXPECT_EQ(s.lines[0].netAmount, money("200.00"));
    EXPECT_EQ(s.vat[0].tax, money("50.00"));
    EXPECT_EQ(s.payable, money("250.00"));
    EXPECT_TRUE(s.rounding.isZero());
}

TEST(Settlement, NetPriceCarriesTheDecimalsALargeQuantityNeeds) {
    const Invoice inv = withRows(
        {row("Screws", 12345.678, "pcs", 0.19, 19), row("Pins", 98765, "pcs", 0.07, 19, 3)}, true);
    const Settlement s = settle(inv);
    for (const Line& line : s.lines) {
        long double extended = line.quantity * line.netPrice.toDouble();
        if (line.allowance)
            extended -= line.allowance->amount.toLongDouble();
        EXPECT_LT(std::fabs(double(extended - line.netAmount.toLongDouble())), 0.01)
            << line.name.toStdString() << " " << line.netPrice.toStdString();
    }
    EXPECT_GT(s.lines[0].netPrice.section(u'.', 1).size(), 4);
}

TEST(Settlement, WholeUnitRoundingIsTheRoundingAmount) {
    // Sum 99.60 and VAT 24.90: the page prints 124 (124.50 to the even unit).
    const Invoice inv = withRows({row("A", 1, "", 99.60, 25)}, false, true);
    EXPECT_EQ(editorTotal(inv), money("124"));
    const Settlement s = settle(inv);
    EXPECT_EQ(s.grandTotal, money("124.50"));
    EXPECT_EQ(s.payable, money("124.00"));
    EXPECT_EQ(s.rounding, money("-0.50"));
}

TEST(Settlement, PageWithoutDecimalsRoundsThePayableLikeThePage) {
    Invoice inv = withRows({row("A", 1, "", 99.68, 25)});
    inv.displayDecimals = 0;
    const Settlement s = settle(inv);
    EXPECT_EQ(s.payable, money("125.00")); // 124.60 shown as 125
    EXPECT_EQ(s.rounding, money("0.40"));
}

TEST(Settlement, CreditInvoiceKeepsPositiveAmounts) {
    Invoice inv = withRows({row("Return", 1, "", 100.00, 25)});
    inv.kind = QLatin1String(kCreditInvoice);
    EXPECT_EQ(editorTotal(inv), money("-125"));
    const Settlement s = settle(inv);
    EXPECT_EQ(s.printedTotal, money("-125"));
    EXPECT_EQ(s.lines[0].netAmount, money("100.00"));
    EXPECT_EQ(s.payable, money("125.00"));
}

TEST(Settlement, TaxRowsArePercentLinesOnTheirBase) {
    // Rows 100 and 200, 10 % on them (30), a row 50, 10 % on that one only (5).
    const Invoice inv =
        withRows({row("A", 1, "", 100, 25), row("B", 1, "", 200, 25), taxRow("Fee", 10, 25),
                  row("C", 1, "", 50, 25), taxRow("Fee", 10, 25)});
    const Settlement s = settle(inv);
    ASSERT_EQ(s.lines.size(), 5);
    EXPECT_EQ(s.lines[2].unitCode, "P1");
    EXPECT_EQ(s.lines[2].quantity, 10);
    EXPECT_EQ(s.lines[2].baseQuantity, 100);
    EXPECT_EQ(s.lines[2].netPrice, "300.00");
    EXPECT_EQ(s.lines[2].netAmount, money("30.00"));
    EXPECT_TRUE(s.lines[2].sellerItemId.isEmpty());
    EXPECT_EQ(s.lines[4].netPrice, "50.00");
    EXPECT_EQ(s.lines[4].netAmount, money("5.00"));
}

TEST(Settlement, NegativePriceIsANegativeQuantity) {
    const Settlement s = settle(withRows({row("Trade-in", 2, "pcs", -60, 25)}));
    EXPECT_EQ(s.lines[0].quantity, -2);
    EXPECT_EQ(s.lines[0].netPrice, "60.00");
    EXPECT_EQ(s.lines[0].netAmount, money("-120.00"));
}

TEST(Settlement, FullDiscountAndSurcharge) {
    const Settlement s =
        settle(withRows({row("Free", 2, "pcs", 10, 25, 100), row("Rush", 1, "", 80, 25, -5)}));
    ASSERT_TRUE(s.lines[0].allowance);
    EXPECT_TRUE(s.lines[0].netAmount.isZero());
    EXPECT_EQ(s.lines[0].allowance->amount, money("20.00"));
    ASSERT_TRUE(s.lines[1].allowance);
    EXPECT_TRUE(s.lines[1].allowance->charge);
    EXPECT_EQ(s.lines[1].allowance->percent, 5);
    EXPECT_EQ(s.lines[1].allowance->amount, money("4.00"));
    EXPECT_EQ(s.lines[1].netAmount, money("84.00"));
}

TEST(Settlement, TextRowsBecomeNotesOfTheLinesAroundThem) {
    Row longRow = row("Maintenance ...", 1, "month", 89, 25);
    longRow.longDescription = QStringLiteral("Maintenance contract\nYearly inspection.");
    const Settlement s =
        settle(withRows({textRow("Work of week 12:"), row("Labour", 2, "h", 50, 25),
                         textRow("Travel included."), textRow(""), longRow}));
    ASSERT_EQ(s.lines.size(), 2);
    EXPECT_EQ(s.lines[0].id, "1");
    EXPECT_EQ(s.lines[0].note, "Work of week 12:\nTravel included.");
    EXPECT_EQ(s.lines[1].id, "2");
    EXPECT_EQ(s.lines[1].name, "Maintenance contract");
    EXPECT_EQ(s.lines[1].note, "Maintenance contract\nYearly inspection.");
}

TEST(Units, UsualUnitsHaveTheirCodes) {
    const QList<std::pair<QString, QString>> cases = {
        {"pcs", "H87"},   {"St.", "H87"},  {"Stück", "H87"}, {"pc", "H87"},    {"h", "HUR"},
        {"Std.", "HUR"},  {"tim", "HUR"},  {"kg", "KGM"},    {"m", "MTR"},     {"l", "LTR"},
        {"day", "DAY"},   {"Tage", "DAY"}, {"month", "MON"}, {"mån", "MON"},   {"km", "KMT"},
        {"m2", "MTK"},    {"m²", "MTK"},   {"m3", "MTQ"},    {"set", "SET"},   {"%", "P1"},
        {" KWH ", "KWH"}, {"HUR", "HUR"},  {"", "C62"},      {"bunch", "C62"}, {"ls", "LS"},
    };
    for (const auto& [unit, code] : cases)
        EXPECT_EQ(unitCode(unit), code) << unit.toStdString();
}

} // namespace
