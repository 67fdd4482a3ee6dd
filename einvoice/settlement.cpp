#include "einvoice/settlement.h"

#include "einvoice/units.h"

#include <QLocale>

#include <cmath>
#include <cstdint>

namespace einvoice {

namespace {

constexpr std::int64_t kCent = Currency::Scale / 100;

// Whole cents of a floating value, half away from zero.
Currency centsOf(long double value) {
    return Currency::fromRaw(static_cast<std::int64_t>(std::llroundl(value * 100.0L)) * kCent);
}

// The net unit price written with the fewest decimals (two at least) that keep
// quantity x price within a tenth of a cent of the exact product, so that a reader who
// multiplies finds the line amount.
struct PriceText {
    QString text;
    long double value = 0;
};

PriceText netPriceText(long double price, double quantity, int baseQuantity) {
    const long double qty = std::fabs(static_cast<long double>(quantity)) / baseQuantity;
    // A double carries about 15 significant digits; never ask for more.
    const int wholeDigits =
        price >= 1 ? static_cast<int>(std::floor(std::log10(static_cast<double>(price)))) + 1 : 1;
    const int maxDecimals = std::max(2, std::min(10, 15 - wholeDigits));
    long double scale = 100;
    int decimals = 2;
    std::int64_t scaled = std::llroundl(price * scale);
    while (decimals < maxDecimals &&
           std::fabs(static_cast<double>(qty * (scaled / scale - price))) > 0.001) {
        ++decimals;
        scale *= 10;
        scaled = std::llroundl(price * scale);
    }
    // Trailing zeros beyond the cents say nothing.
    while (decimals > 2 && scaled % 10 == 0) {
        scaled /= 10;
        scale /= 10;
        --decimals;
    }
    QString digits = QString::number(scaled).rightJustified(decimals + 1, u'0');
    digits.insert(digits.size() - decimals, u'.');
    return {digits, scaled / scale};
}

// taxable x percent / 100 in whole cents, half away from zero, without a floating step in
// between (10.50 at 19 % is exactly 1.995 and gives 2.00). Rates carry up to four decimals.
Currency taxOf(Currency taxable, double percent) {
    const __int128 rate = std::llround(percent * 10000.0);
    const __int128 exact = static_cast<__int128>(taxable.raw()) * rate; // raw x 10^6
    const __int128 unit = static_cast<__int128>(100) * 10000 * kCent;   // one cent
    __int128 q = exact / unit;
    const __int128 r = exact % unit;
    if (2 * (r < 0 ? -r : r) >= unit)
        q += exact < 0 ? -1 : 1;
    return Currency::fromRaw(static_cast<std::int64_t>(q) * kCent);
}

// The editor shortens a row's description to the start of its long description and " ...";
// the long text's first line names the item better.
QString itemName(const Row& row) {
    const QString description = row.description.trimmed();
    const QString longText = row.longDescription.trimmed();
    const QString firstLine = longText.section(u'\n', 0, 0).trimmed();
    if (description.isEmpty())
        return firstLine;
    if (description.endsWith(QLatin1String("...")) && !firstLine.isEmpty()) {
        const QString start = description.chopped(3).trimmed();
        if (longText.startsWith(start))
            return firstLine;
    }
    return description;
}

QString rowText(const Row& row) {
    return row.longDescription.trimmed().isEmpty() ? row.description.trimmed()
                                                   : row.longDescription.trimmed();
}

void appendNote(QString& note, const QString& text) {
    if (text.isEmpty())
        return;
    if (!note.isEmpty())
        note += u'\n';
    note += text;
}

} // namespace

Currency roundCents(Currency amount) {
    const std::int64_t raw = amount.raw();
    std::int64_t q = raw / kCent;
    const std::int64_t r = raw % kCent;
    if (2 * (r < 0 ? -r : r) >= kCent)
        q += raw < 0 ? -1 : 1;
    return Currency::fromRaw(q * kCent);
}

Currency printedTotal(const Invoice& invoice) {
    Currency sum, vat;
    for (const Row& row : invoice.rows) {
        sum += row.sum;
        vat += row.vat;
    }
    Currency total = invoice.pricesIncludeVat ? sum : sum + vat;
    if (invoice.roundTotal)
        total = total.roundedToUnits();
    return invoice.isCredit() ? -total : total;
}

QString amountText(Currency amount) {
    const Currency cents = roundCents(amount);
    const bool negative = cents.raw() < 0;
    const std::uint64_t mag = negative ? std::uint64_t(0) - static_cast<std::uint64_t>(cents.raw())
                                       : static_cast<std::uint64_t>(cents.raw());
    const std::uint64_t whole = mag / Currency::Scale;
    const std::uint64_t frac = (mag % Currency::Scale) / kCent;
    return (negative ? QStringLiteral("-") : QString()) + QString::number(whole) + u'.' +
           QString::number(frac).rightJustified(2, u'0');
}

QString decimalText(double value) {
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

Settlement settle(const Invoice& invoice) {
    Settlement s;
    QStringList pendingText; // text rows seen before the first priced row

    for (int i = 0; i < invoice.rows.size(); ++i) {
        const Row& row = invoice.rows[i];
        if (row.isTextRow()) {
            const QString text = rowText(row);
            if (s.lines.isEmpty())
                pendingText << text;
            else
                appendNote(s.lines.last().note, text);
            continue;
        }

        Line line;
        line.row = i;
        line.id = QString::number(s.lines.size() + 1);
        line.name = itemName(row);
        if (line.name.isEmpty() && !row.isTaxRow())
            line.name = row.code.trimmed();
        if (!row.isTaxRow())
            line.sellerItemId = row.code.trimmed();
        const QString longText = row.longDescription.trimmed();
        if (!longText.isEmpty() && longText != line.name)
            line.note = longText;

        const std::optional<VatRate> rate = invoice.vatRateFor(row.vatPercent);
        line.category = rate ? rate->category : VatCategory::ZeroRated;
        line.vatPercent = line.category == VatCategory::OutsideScope ? 0 : row.vatPercent;

        // The rules forbid a negative price: a negative row is a negative quantity.
        const bool negativePrice = row.price < Currency();
        line.quantity = negativePrice ? -row.qty : row.qty;
        line.unitCode = unitCode(row.unit);
        line.baseQuantity = row.isTaxRow() ? 100 : 1;

        long double price = row.price.abs().toLongDouble();
        if (invoice.pricesIncludeVat)
            price = price * 100.0L / (100.0L + row.vatPercent);
        const PriceText priceText = netPriceText(price, line.quantity, line.baseQuantity);
        line.netPrice = priceText.text;

        const Currency net = invoice.pricesIncludeVat ? row.sum - row.vat : row.sum;
        line.netAmount = roundCents(net);

        if (!row.isTaxRow() && row.discount != 0) {
            const Currency gross =
                centsOf(static_cast<long double>(line.quantity) * priceText.value);
            if (!gross.isZero()) {
                LineAllowance a;
                a.base = gross;
                const Currency difference = gross - line.netAmount;
                a.charge = row.discount < 0;
                a.percent = std::fabs(row.discount);
                a.amount = a.charge ? -difference : difference;
                line.allowance = a;
            }
        }

        if (s.lines.isEmpty())
            for (const QString& text : pendingText)
                appendNote(line.note, text);
        s.lines << line;
    }

    for (const Line& line : s.lines) {
        VatBreakdown* group = nullptr;
        for (VatBreakdown& b : s.vat)
            if (b.category == line.category && b.percent == line.vatPercent)
                group = &b;
        if (!group) {
            VatBreakdown b;
            b.category = line.category;
            b.percent = line.vatPercent;
            if (needsExemptionReason(line.category))
                if (const auto rate = invoice.vatRateFor(invoice.rows[line.row].vatPercent))
                    b.exemptionReason = rate->exemptionReason.trimmed();
            s.vat << b;
            group = &s.vat.last();
        }
        group->taxable += line.netAmount;
    }

    for (VatBreakdown& b : s.vat) {
        if (b.category == VatCategory::Standard)
            b.tax = taxOf(b.taxable, b.percent);
        s.taxTotal += b.tax;
        s.lineTotal += b.taxable;
    }
    s.grandTotal = s.lineTotal + s.taxTotal;

    if (invoice.totalsFollowRules) {
        const Currency total = invoice.roundTotal ? s.grandTotal.roundedToUnits() : s.grandTotal;
        s.printedTotal = invoice.isCredit() ? -total : total;
    } else {
        s.printedTotal = printedTotal(invoice);
    }
    // The page shows the total with its decimals, never more than cents.
    const int shown = std::clamp(invoice.displayDecimals, 0, 2);
    const Currency shownTotal = s.printedTotal.roundedTo(shown);
    s.payable = invoice.isCredit() ? -shownTotal : shownTotal;
    s.rounding = s.payable - s.grandTotal;
    return s;
}

RuleTotals totalsByRules(const Invoice& invoice) {
    Invoice byRules = invoice;
    byRules.totalsFollowRules = true;
    const Settlement s = settle(byRules);
    return {s.lineTotal, s.taxTotal, s.payable};
}

} // namespace einvoice
