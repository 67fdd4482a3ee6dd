#include "einvoice/codes.h"
#include "einvoice/einvoice.h"
#include "einvoice/iban.h"
#include "einvoice/settlement.h"
#include "einvoice/xmlout.h"

#include <QRegularExpression>

#include <algorithm>

namespace einvoice {

using detail::clean;

namespace {

bool blank(const QString& text) {
    return clean(text).isEmpty();
}

QString rateText(double percent) {
    return decimalText(percent) + QStringLiteral(" %");
}

bool isMailAddress(const QString& text) {
    static const QRegularExpression mail(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s.]+$"));
    return mail.match(clean(text)).hasMatch();
}

int digitCount(const QString& text) {
    return int(std::count_if(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }));
}

class Checker {
public:
    Checker(const Invoice& invoice, Profile profile)
        : inv(invoice)
        , xr(profile == Profile::XRechnung)
        , s(settle(invoice)) {
        for (const VatBreakdown& b : s.vat) {
            categories << b.category;
            if (b.category == VatCategory::OutsideScope)
                outsideScope = true;
        }
    }

    QStringList run() {
        document();
        seller();
        buyer();
        rates();
        payment();
        return messages;
    }

private:
    void add(const QString& message) {
        if (!messages.contains(message))
            messages << message;
    }

    bool uses(VatCategory category) const { return categories.contains(category); }

    void document() {
        if (!isEInvoiceKind(inv.kind)) {
            add(QStringLiteral("Only invoices, tax invoices and credit invoices can be issued as "
                               "e-invoices; this document is a %1.")
                    .arg(inv.kind.isEmpty() ? QStringLiteral("document without a kind")
                                            : inv.kind.toLower()));
        }
        if (blank(inv.number))
            add(QStringLiteral("The document has no number."));
        if (!inv.issueDate.isValid())
            add(QStringLiteral("The document has no date."));
        const QString currency = inv.currency.trimmed();
        if (currency.isEmpty())
            add(QStringLiteral("The currency of invoices is not set in the company data."));
        else if (!isCurrencyCode(currency.toUpper()))
            add(QStringLiteral("The currency \"%1\" is not an ISO 4217 code such as EUR.")
                    .arg(currency));
        if (s.lines.isEmpty())
            add(QStringLiteral("The document has no rows with amounts."));
        for (const Line& line : s.lines)
            if (line.name.isEmpty())
                add(QStringLiteral("Row %1 has no description.").arg(line.row + 1));
    }

    void country(const QString& code, const QString& whose) {
        const QString c = code.trimmed();
        if (c.isEmpty())
            add(QStringLiteral("The %1 country code is missing.").arg(whose));
        else if (!isCountryCode(c.toUpper()))
            add(QStringLiteral("The %1 country code \"%2\" is not a two-letter country code such "
                               "as DE.")
                    .arg(whose, c));
    }

    void vatPrefix(const QString& number, const QString& whose) {
        if (!blank(number) && !hasVatCountryPrefix(number.toUpper()))
            add(QStringLiteral("The %1 VAT number \"%2\" must begin with its country code, for "
                               "example DE123456789.")
                    .arg(whose, clean(number)));
    }

    void seller() {
        const Seller& c = inv.seller;
        if (blank(c.name))
            add(QStringLiteral("The company name is missing."));
        country(c.address.countryCode, QStringLiteral("company's"));
        if (xr) {
            if (blank(c.address.city))
                add(QStringLiteral("The company's city is missing."));
            if (blank(c.address.postcode))
                add(QStringLiteral("The company's postcode is missing."));
            if (blank(c.phone))
                add(QStringLiteral("The company's phone number is missing."));
            else if (digitCount(c.phone) < 3)
                add(QStringLiteral("The company's phone number \"%1\" needs at least three "
                                   "digits.")
                        .arg(clean(c.phone)));
            if (blank(c.electronicAddress))
                add(QStringLiteral("The company's e-mail address (its electronic address) is "
                                   "missing."));
        }
        if (!blank(c.electronicAddress) && !isMailAddress(c.electronicAddress))
            add(QStringLiteral("The company's e-mail address \"%1\" is not valid.")
                    .arg(clean(c.electronicAddress)));

        const bool taxNumberOnly = !blank(c.vatNumber) && !hasVatCountryPrefix(c.vatNumber);
        if (outsideScope) {
            if ((blank(c.vatNumber) || taxNumberOnly) && blank(c.legalRegistration))
                add(QStringLiteral("The company's VAT number or legal registration number is "
                                   "missing."));
        } else if (blank(c.vatNumber)) {
            add(QStringLiteral("The company's VAT number is missing."));
        } else if (taxNumberOnly) {
            // Sent as the tax number; the supplier must then be known by its registration.
            for (VatCategory needsVatId : {VatCategory::Export, VatCategory::IntraCommunity})
                if (uses(needsVatId))
                    add(QStringLiteral("Rows with %1 need the company's VAT number with its "
                                       "country code, for example DE123456789; \"%2\" is a tax "
                                       "number.")
                            .arg(categoryName(needsVatId), clean(c.vatNumber)));
            if (blank(c.legalRegistration))
                add(QStringLiteral("The company's VAT number \"%1\" has no country code, so it "
                                   "is sent as a tax number; the company's legal registration "
                                   "number is then needed too.")
                        .arg(clean(c.vatNumber)));
        }
    }

    void buyer() {
        const Buyer& b = inv.buyer;
        if (blank(b.name))
            add(QStringLiteral("The customer's name is missing."));
        const bool noLines = std::all_of(b.address.lines.begin(), b.address.lines.end(), blank);
        if (noLines && blank(b.address.city))
            add(QStringLiteral("The customer's address is missing."));
        country(b.address.countryCode, QStringLiteral("customer's"));
        if (xr) {
            if (!noLines || !blank(b.address.city)) {
                if (blank(b.address.city))
                    add(QStringLiteral("The customer's city is missing."));
                if (blank(b.address.postcode))
                    add(QStringLiteral("The customer's postcode is missing."));
            }
            if (blank(b.buyerReference))
                add(QStringLiteral("The customer has no buyer reference (Leitweg-ID), which "
                                   "XRechnung requires."));
            if (blank(b.electronicAddress))
                add(QStringLiteral("The customer's e-mail address (the electronic address "
                                   "XRechnung delivers to) is missing."));
        }
        if (!blank(b.electronicAddress) && !isMailAddress(b.electronicAddress))
            add(QStringLiteral("The customer's e-mail address \"%1\" is not valid.")
                    .arg(clean(b.electronicAddress)));
        if (!outsideScope)
            vatPrefix(b.vatNumber, QStringLiteral("customer's"));
        for (VatCategory needsBuyerVat : {VatCategory::ReverseCharge, VatCategory::IntraCommunity})
            if (uses(needsBuyerVat) && blank(b.vatNumber))
                add(QStringLiteral("The customer's VAT number is missing; rows with %1 need it.")
                        .arg(categoryName(needsBuyerVat)));
    }

    void rates() {
        QList<double> seen;
        for (const Line& line : s.lines) {
            const double percent = inv.rows[line.row].vatPercent;
            if (seen.contains(percent))
                continue;
            seen << percent;
            const std::optional<VatRate> rate = inv.vatRateFor(percent);
            if (percent < 0) {
                add(QStringLiteral("The VAT rate %1 is negative.").arg(rateText(percent)));
                continue;
            }
            if (!rate) {
                add(QStringLiteral("The VAT rate %1 has no VAT category (zero rated, exempt, "
                                   "reverse charge, ...); set one in the VAT rates.")
                        .arg(rateText(percent)));
                continue;
            }
            if (rate->category == VatCategory::Standard && percent == 0)
                add(QStringLiteral("The VAT rate 0 % is marked as a standard rate, which must "
                                   "be above 0 %."));
            if (rate->category != VatCategory::Standard && percent != 0)
                add(QStringLiteral("The VAT rate %1 is marked %2, which needs a rate of 0 %.")
                        .arg(rateText(percent), categoryName(rate->category)));
            if (needsExemptionReason(rate->category) && blank(rate->exemptionReason))
                add(QStringLiteral("The VAT rate %1 (%2) needs an exemption reason; set it in "
                                   "the VAT rates.")
                        .arg(rateText(percent), categoryName(rate->category)));
        }
        if (outsideScope && categories.size() > 1)
            add(QStringLiteral("Rows outside the scope of VAT cannot be on one document with "
                               "rows of other VAT categories."));
        if (uses(VatCategory::IntraCommunity) && !inv.deliveryDate.isValid())
            add(QStringLiteral("An intra-community supply needs its delivery date."));
    }

    void payment() {
        if (inv.isCredit())
            return;
        const Seller& c = inv.seller;
        if (blank(c.iban)) {
            add(QStringLiteral("The company's IBAN is missing; it is needed for payment by "
                               "credit transfer."));
        } else {
            const IbanCheck check = checkIban(c.iban);
            if (!check.valid)
                add(QStringLiteral("The company's IBAN is not valid: %1").arg(check.message));
        }
        if (!blank(c.bic) && !isValidBic(c.bic))
            add(QStringLiteral("The company's BIC \"%1\" is not valid: a BIC has 8 or 11 letters "
                               "and digits.")
                    .arg(clean(c.bic)));
    }

    const Invoice& inv;
    const bool xr;
    const Settlement s;
    QList<VatCategory> categories;
    bool outsideScope = false;
    QStringList messages;
};

} // namespace

QStringList precheck(const Invoice& invoice, Profile profile) {
    return Checker(invoice, profile).run();
}

} // namespace einvoice
