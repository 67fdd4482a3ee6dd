// The check before writing: a document the rules would refuse is refused here, with a message
// that names what is missing.
#include "documents.h"

#include <gtest/gtest.h>

using namespace einvoice;
using namespace testdocs;

namespace {

std::string joined(const QStringList& list) {
    return list.join(u'\n').toStdString();
}

TEST(Precheck, CompleteDocumentsPass) {
    const Invoice inv = simpleInvoice();
    EXPECT_TRUE(precheck(inv, Profile::En16931).isEmpty())
        << joined(precheck(inv, Profile::En16931));
    EXPECT_TRUE(precheck(inv, Profile::XRechnung).isEmpty())
        << joined(precheck(inv, Profile::XRechnung));
    for (const Document& doc : documents())
        for (const Output& out : doc.outputs)
            EXPECT_TRUE(precheck(doc.invoice, out.profile).isEmpty())
                << out.file.toStdString() << ": " << joined(precheck(doc.invoice, out.profile));
}

TEST(Precheck, IncompleteDocumentIsRefusedWithWhatIsMissing) {
    Invoice inv = simpleInvoice();
    inv.seller.vatNumber.clear();
    inv.seller.iban.clear();
    inv.buyer.address = Address();
    inv.buyer.buyerReference.clear();
    inv.rows << row("Gift voucher", 1, "pcs", 20, 0);
    inv.vatRates = {{19, VatCategory::Standard, {}}};
    computeRows(inv);

    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({
                  "The company's VAT number is missing.",
                  "The customer's address is missing.",
                  "The customer's country code is missing.",
                  "The VAT rate 0 % has no VAT category (zero rated, exempt, reverse charge, "
                  "...); set one in the VAT rates.",
                  "The company's IBAN is missing; it is needed for payment by credit transfer.",
              }));
    const QStringList xr = precheck(inv, Profile::XRechnung);
    EXPECT_TRUE(xr.contains("The customer has no buyer reference (Leitweg-ID), which XRechnung "
                            "requires."))
        << joined(xr);
}

TEST(Precheck, DocumentKindNumberDateAndCurrency) {
    Invoice inv = simpleInvoice();
    inv.kind = QStringLiteral("Quotation");
    inv.number.clear();
    inv.issueDate = QDate();
    inv.currency = QStringLiteral("Euro");
    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({"Only invoices, tax invoices and credit invoices can be issued as "
                           "e-invoices; this document is a quotation.",
                           "The document has no number.", "The document has no date.",
                           "The currency \"Euro\" is not an ISO 4217 code such as EUR."}));
    inv = simpleInvoice();
    inv.rows = {textRow("Only a text")};
    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({"The document has no rows with amounts."}));
}

TEST(Precheck, CreditInvoiceNeedsNoIban) {
    Invoice inv = simpleInvoice();
    inv.kind = QLatin1String(kCreditInvoice);
    inv.seller.iban.clear();
    EXPECT_TRUE(precheck(inv, Profile::XRechnung).isEmpty())
        << joined(precheck(inv, Profile::XRechnung));
}

TEST(Precheck, BadIbanBicAndVatNumbers) {
    Invoice inv = simpleInvoice();
    inv.seller.iban = QStringLiteral("DE88 3704 0044 0532 0130 00");
    inv.seller.bic = QStringLiteral("COBA");
    inv.buyer.vatNumber = QStringLiteral("XX123");
    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({
                  "The customer's VAT number \"XX123\" must begin with its country code, for "
                  "example DE123456789.",
                  "The company's IBAN is not valid: The IBAN's check digits do not match: a "
                  "character is mistyped, missing or swapped.",
                  "The company's BIC \"COBA\" is not valid: a BIC has 8 or 11 letters and digits.",
              }));
}

TEST(Precheck, TaxNumberWithoutCountryCode) {
    // A number without a country prefix goes out as the tax number, which needs the company's
    // registration beside it and does not do for exports.
    Invoice inv = simpleInvoice();
    inv.seller.vatNumber = QStringLiteral("12/345/67890");
    EXPECT_TRUE(precheck(inv, Profile::XRechnung).isEmpty())
        << joined(precheck(inv, Profile::XRechnung));
    inv.seller.legalRegistration.clear();
    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({"The company's VAT number \"12/345/67890\" has no country code, so it "
                           "is sent as a tax number; the company's legal registration number is "
                           "then needed too."}));
    inv = simpleInvoice();
    inv.seller.vatNumber = QStringLiteral("12/345/67890");
    inv.rows = {row("Machine", 1, "pcs", 900, 0)};
    inv.vatRates = {{0, VatCategory::Export, QStringLiteral("Export outside the EU")}};
    computeRows(inv);
    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({"Rows with export outside the EU need the company's VAT number with "
                           "its country code, for example DE123456789; \"12/345/67890\" is a tax "
                           "number."}));
}

TEST(Precheck, CategoriesAndTheirConditions) {
    Invoice inv = simpleInvoice();
    inv.rows << row("Training", 1, "day", 400, 0) << row("Books", 1, "pcs", 30, 7);
    inv.vatRates = {{19, VatCategory::Standard, {}},
                    {0, VatCategory::Exempt, {}},
                    {7, VatCategory::ZeroRated, {}}};
    computeRows(inv);
    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({"The VAT rate 0 % (exempt) needs an exemption reason; set it in the "
                           "VAT rates.",
                           "The VAT rate 7 % is marked zero rated, which needs a rate of 0 %."}));

    inv = simpleInvoice();
    inv.rows << row("Transport", 1, "", 200, 0);
    inv.vatRates = {{19, VatCategory::Standard, {}},
                    {0, VatCategory::OutsideScope, QStringLiteral("Not subject to VAT")}};
    computeRows(inv);
    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({"Rows outside the scope of VAT cannot be on one document with rows of "
                           "other VAT categories."}));

    inv = simpleInvoice();
    inv.rows = {row("Goods", 10, "kg", 20, 0)};
    inv.vatRates = {{0, VatCategory::IntraCommunity, QStringLiteral("Intra-community supply")}};
    inv.deliveryDate = QDate();
    computeRows(inv);
    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({"The customer's VAT number is missing; rows with intra-community "
                           "supply need it.",
                           "An intra-community supply needs its delivery date."}));

    inv.vatRates = {{0, VatCategory::Standard, {}}};
    EXPECT_EQ(
        precheck(inv, Profile::En16931),
        QStringList({"The VAT rate 0 % is marked as a standard rate, which must be above 0 %."}));
}

TEST(Precheck, OutsideScopeNeedsARegistrationInsteadOfTheVatNumber) {
    Invoice inv = simpleInvoice();
    inv.rows = {row("Damages", 1, "", 500, 0)};
    inv.vatRates = {{0, VatCategory::OutsideScope, QStringLiteral("Not subject to VAT")}};
    inv.seller.vatNumber.clear();
    computeRows(inv);
    EXPECT_TRUE(precheck(inv, Profile::En16931).isEmpty());
    inv.seller.legalRegistration.clear();
    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({"The company's VAT number or legal registration number is missing."}));
}

TEST(Precheck, XRechnungWantsContactAndAddresses) {
    Invoice inv = simpleInvoice();
    inv.seller.phone = QStringLiteral("12");
    inv.seller.electronicAddress.clear();
    inv.seller.address.postcode.clear();
    inv.buyer.address.city.clear();
    inv.buyer.electronicAddress = QStringLiteral("not a mail address");
    EXPECT_EQ(precheck(inv, Profile::XRechnung),
              QStringList({
                  "The company's postcode is missing.",
                  "The company's phone number \"12\" needs at least three digits.",
                  "The company's e-mail address (its electronic address) is missing.",
                  "The customer's city is missing.",
                  "The customer's e-mail address \"not a mail address\" is not valid.",
              }));
    // The European profile itself does not ask for these.
    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({"The customer's e-mail address \"not a mail address\" is not valid."}));
}

TEST(Precheck, CountryCodesAreChecked) {
    Invoice inv = simpleInvoice();
    inv.seller.address.countryCode = QStringLiteral("Germany");
    inv.buyer.address.countryCode = QStringLiteral("de");
    EXPECT_EQ(precheck(inv, Profile::En16931),
              QStringList({"The company's country code \"Germany\" is not a two-letter country "
                           "code such as DE."}));
}

} // namespace
