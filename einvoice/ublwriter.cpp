#include "einvoice/einvoice.h"
#include "einvoice/xmlout.h"

namespace einvoice {

using namespace detail;

namespace {

class UblWriter : WriterBase {
public:
    UblWriter(const Invoice& invoice, Profile profile)
        : WriterBase(invoice, profile)
        , credit(invoice.isCredit()) {}

    QByteArray write() {
        x.start(credit ? "CreditNote" : "Invoice");
        x.attribute("xmlns", credit ? "urn:oasis:names:specification:ubl:schema:xsd:CreditNote-2"
                                    : "urn:oasis:names:specification:ubl:schema:xsd:Invoice-2");
        x.attribute("xmlns:cac",
                    "urn:oasis:names:specification:ubl:schema:xsd:CommonAggregateComponents-2");
        x.attribute("xmlns:cbc",
                    "urn:oasis:names:specification:ubl:schema:xsd:CommonBasicComponents-2");

        x.text("cbc:CustomizationID", specificationId(profile));
        if (profile == Profile::XRechnung)
            x.text("cbc:ProfileID", QLatin1String(kPeppolBilling));
        x.text("cbc:ID", inv.number);
        x.text("cbc:IssueDate", isoDate(inv.issueDate));
        if (!credit)
            x.text("cbc:DueDate", isoDate(inv.dueDate));
        x.text(credit ? "cbc:CreditNoteTypeCode" : "cbc:InvoiceTypeCode", typeCode(inv));
        x.text("cbc:Note", inv.note);
        x.text("cbc:DocumentCurrencyCode", currency());
        x.text("cbc:BuyerReference", buyerReference(inv));

        supplier();
        customer();
        delivery();
        payment();
        taxTotal();
        monetaryTotal();
        for (const Line& line : s.lines)
            invoiceLine(line);

        x.end();
        return x.finish();
    }

private:
    void amount(const char* element, Currency value) {
        x.text(element, amountText(value), "currencyID", currency());
    }

    void postalAddress(const Address& a) {
        x.start("cac:PostalAddress");
        addressParts(a);
        x.end();
    }

    void addressParts(const Address& a) {
        QStringList lines;
        for (const QString& l : a.lines)
            if (!clean(l).isEmpty())
                lines << clean(l);
        if (!lines.isEmpty())
            x.text("cbc:StreetName", lines.takeFirst());
        if (!lines.isEmpty())
            x.text("cbc:AdditionalStreetName", lines.takeFirst());
        x.text("cbc:CityName", a.city);
        x.text("cbc:PostalZone", a.postcode);
        x.text("cbc:CountrySubentity", a.state);
        if (!lines.isEmpty()) {
            x.start("cac:AddressLine");
            x.text("cbc:Line", lines.join(QLatin1String(", ")));
            x.end();
        }
        x.start("cac:Country");
        x.text("cbc:IdentificationCode", a.countryCode.trimmed().toUpper());
        x.end();
    }

    void endpoint(const QString& mail) {
        x.text("cbc:EndpointID", mail, "schemeID", QStringLiteral("EM"));
    }

    // VAT: a VAT identifier, FC: a tax number.
    void taxScheme(const QString& number, const char* scheme) {
        if (number.isEmpty())
            return;
        x.start("cac:PartyTaxScheme");
        x.text("cbc:CompanyID", number);
        vatScheme(scheme);
        x.end();
    }

    void vatScheme(const char* scheme = "VAT") {
        x.start("cac:TaxScheme");
        x.text("cbc:ID", QLatin1String(scheme));
        x.end();
    }

    void supplier() {
        const Seller& seller = inv.seller;
        x.start("cac:AccountingSupplierParty");
        x.start("cac:Party");
        endpoint(seller.electronicAddress);
        postalAddress(seller.address);
        taxScheme(sellerVatId(inv, s), "VAT");
        taxScheme(sellerTaxNumber(inv), "FC");
        x.start("cac:PartyLegalEntity");
        x.text("cbc:RegistrationName", seller.name);
        x.text("cbc:CompanyID", seller.legalRegistration);
        x.end();
        const QString name = sellerContactName(inv, profile);
        if (!name.isEmpty() || !clean(seller.phone).isEmpty() ||
            !clean(seller.electronicAddress).isEmpty()) {
            x.start("cac:Contact");
            x.text("cbc:Name", name);
            x.text("cbc:Telephone", seller.phone);
            x.text("cbc:ElectronicMail", seller.electronicAddress);
            x.end();
        }
        x.end();
        x.end();
    }

    void customer() {
        const Buyer& buyer = inv.buyer;
        x.start("cac:AccountingCustomerParty");
        x.start("cac:Party");
        endpoint(buyer.electronicAddress);
        if (!clean(buyer.number).isEmpty()) {
            x.start("cac:PartyIdentification");
            x.text("cbc:ID", buyer.number);
            x.end();
        }
        postalAddress(buyer.address);
        taxScheme(buyerVatId(inv, s), "VAT");
        x.start("cac:PartyLegalEntity");
        x.text("cbc:RegistrationName", buyer.name);
        x.end();
        const QString contact = buyerContactName(inv);
        if (!contact.isEmpty()) {
            x.start("cac:Contact");
            x.text("cbc:Name", contact);
            x.end();
        }
        x.end();
        x.end();
    }

    void delivery() {
        const bool intraCommunity = isIntraCommunity(s);
        if (!inv.deliveryDate.isValid() && !intraCommunity)
            return;
        x.start("cac:Delivery");
        x.text("cbc:ActualDeliveryDate", isoDate(inv.deliveryDate));
        if (intraCommunity) {
            x.start("cac:DeliveryLocation");
            x.start("cac:Address");
            addressParts(inv.buyer.address);
            x.end();
            x.end();
        }
        x.end();
    }

    void payment() {
        x.start("cac:PaymentMeans");
        const QString text = paymentMeansText(inv);
        if (text.isEmpty())
            x.text("cbc:PaymentMeansCode", paymentMeansCode(inv));
        else
            x.text("cbc:PaymentMeansCode", paymentMeansCode(inv), "name", text);
        x.text("cbc:PaymentID", inv.number);
        if (!credit && !compact(inv.seller.iban).isEmpty()) {
            x.start("cac:PayeeFinancialAccount");
            x.text("cbc:ID", compact(inv.seller.iban));
            x.text("cbc:Name", inv.seller.name);
            if (!clean(inv.seller.bic).isEmpty()) {
                x.start("cac:FinancialInstitutionBranch");
                x.text("cbc:ID", compact(inv.seller.bic));
                x.end();
            }
            x.end();
        }
        x.end();

        x.start("cac:PaymentTerms");
        x.text("cbc:Note", paymentTermsText(inv));
        x.end();
    }

    void taxCategory(const char* element, VatCategory category, double percent,
                     const QString& reason, bool withRate) {
        x.start(element);
        x.text("cbc:ID", categoryCode(category));
        if (withRate)
            x.text("cbc:Percent", decimalText(percent));
        x.text("cbc:TaxExemptionReason", reason);
        vatScheme();
        x.end();
    }

    void taxTotal() {
        x.start("cac:TaxTotal");
        amount("cbc:TaxAmount", s.taxTotal);
        for (const VatBreakdown& b : s.vat) {
            x.start("cac:TaxSubtotal");
            amount("cbc:TaxableAmount", b.taxable);
            amount("cbc:TaxAmount", b.tax);
            taxCategory("cac:TaxCategory", b.category, b.percent, b.exemptionReason, true);
            x.end();
        }
        x.end();
    }

    void monetaryTotal() {
        x.start("cac:LegalMonetaryTotal");
        amount("cbc:LineExtensionAmount", s.lineTotal);
        amount("cbc:TaxExclusiveAmount", s.lineTotal);
        amount("cbc:TaxInclusiveAmount", s.grandTotal);
        if (!s.rounding.isZero())
            amount("cbc:PayableRoundingAmount", s.rounding);
        amount("cbc:PayableAmount", s.payable);
        x.end();
    }

    void invoiceLine(const Line& line) {
        x.start(credit ? "cac:CreditNoteLine" : "cac:InvoiceLine");
        x.text("cbc:ID", line.id);
        x.text("cbc:Note", line.note);
        x.text(credit ? "cbc:CreditedQuantity" : "cbc:InvoicedQuantity", decimalText(line.quantity),
               "unitCode", line.unitCode);
        amount("cbc:LineExtensionAmount", line.netAmount);
        if (line.allowance) {
            const LineAllowance& a = *line.allowance;
            x.start("cac:AllowanceCharge");
            x.text("cbc:ChargeIndicator",
                   a.charge ? QStringLiteral("true") : QStringLiteral("false"));
            if (!a.charge)
                x.text("cbc:AllowanceChargeReasonCode", QStringLiteral("95"));
            x.text("cbc:AllowanceChargeReason",
                   a.charge ? QStringLiteral("Surcharge") : QStringLiteral("Discount"));
            x.text("cbc:MultiplierFactorNumeric", decimalText(a.percent));
            amount("cbc:Amount", a.amount);
            amount("cbc:BaseAmount", a.base);
            x.end();
        }
        x.start("cac:Item");
        x.text("cbc:Name", line.name);
        if (!line.sellerItemId.isEmpty()) {
            x.start("cac:SellersItemIdentification");
            x.text("cbc:ID", line.sellerItemId);
            x.end();
        }
        taxCategory("cac:ClassifiedTaxCategory", line.category, line.vatPercent, QString(),
                    line.category != VatCategory::OutsideScope);
        x.end();
        x.start("cac:Price");
        x.text("cbc:PriceAmount", line.netPrice, "currencyID", currency());
        if (line.baseQuantity != 1)
            x.text("cbc:BaseQuantity", QString::number(line.baseQuantity), "unitCode",
                   line.unitCode);
        x.end();
        x.end();
    }

    const bool credit;
};

} // namespace

QByteArray writeUbl(const Invoice& invoice, Profile profile) {
    return UblWriter(invoice, profile).write();
}

} // namespace einvoice
