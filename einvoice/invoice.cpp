#include "einvoice/invoice.h"

#include <cmath>

namespace einvoice {

namespace {

struct CategoryInfo {
    VatCategory category;
    const char* code;
    const char* name;
};

constexpr CategoryInfo kCategories[] = {
    {VatCategory::Standard, "S", "standard rate"},
    {VatCategory::ZeroRated, "Z", "zero rated"},
    {VatCategory::Exempt, "E", "exempt"},
    {VatCategory::ReverseCharge, "AE", "reverse charge"},
    {VatCategory::IntraCommunity, "K", "intra-community supply"},
    {VatCategory::Export, "G", "export outside the EU"},
    {VatCategory::OutsideScope, "O", "outside the scope of VAT"},
};

const CategoryInfo& info(VatCategory category) {
    for (const auto& c : kCategories)
        if (c.category == category)
            return c;
    return kCategories[0];
}

// Rates come from a float field; 19 and 18.999999999 are the same rate.
bool sameRate(double a, double b) {
    return std::fabs(a - b) < 1e-9;
}

} // namespace

QString categoryCode(VatCategory category) {
    return QLatin1String(info(category).code);
}

std::optional<VatCategory> categoryFromCode(const QString& code) {
    const QString c = code.trimmed().toUpper();
    for (const auto& entry : kCategories)
        if (c == QLatin1String(entry.code))
            return entry.category;
    return std::nullopt;
}

QString categoryName(VatCategory category) {
    return QLatin1String(info(category).name);
}

bool needsExemptionReason(VatCategory category) {
    return category != VatCategory::Standard && category != VatCategory::ZeroRated;
}

bool Row::isTaxRow() const {
    return code == QLatin1String("Tax") && unit == QLatin1String("%");
}

bool Row::isTextRow() const {
    return !isTaxRow() && qty == 0 && price.isZero() && sum.isZero();
}

std::optional<VatRate> Invoice::vatRateFor(double percent) const {
    for (const VatRate& rate : vatRates)
        if (sameRate(rate.percent, percent))
            return rate;
    if (percent > 0)
        return VatRate{percent, VatCategory::Standard, QString()};
    return std::nullopt;
}

bool isEInvoiceKind(const QString& kind) {
    return kind == QLatin1String(kInvoice) || kind == QLatin1String(kTaxInvoice) ||
           kind == QLatin1String(kCreditInvoice);
}

} // namespace einvoice
