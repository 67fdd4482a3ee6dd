#include "einvoice/einvoice.h"
#include "einvoice/xmlout.h"

namespace einvoice {

using namespace detail;

namespace {

class CiiWriter : WriterBase {
public:
    using WriterBase::WriterBase;

    QByteArray write() {
        x.start("rsm:CrossIndustryInvoice");
        x.attribute("xmlns:rsm", "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100");
        x.attribute("xmlns:ram", "urn:un:unece:uncefact:data:standard:"
                                 "ReusableAggregateBusinessInformationEntity:100");
        x.attribute("xmlns:qdt", "urn:un:unece:uncefact:data:standard:QualifiedDataType:100");
        x.attribute("xmlns:udt", "urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100");

        x.start("rsm:ExchangedDocumentContext");
        if (profile == Profile::XRechnung) {
            x.start("ram:BusinessProcessSpecifiedDocumentContextParameter");
            x.text("ram:ID", QLatin1String(kPeppolBilling));
            x.end();
        }
        x.start("ram:GuidelineSpecifiedDocumentContextParameter");
        x.text("ram:ID", specificationId(profile));
        x.end();
        x.end();

        x.start("rsm:ExchangedDocument");
        x.text("ram:ID", inv.number);
        x.text("ram:TypeCode", typeCode(inv));
        x.start("ram:IssueDateTime");
        dateTime("udt:DateTimeString", inv.issueDate);
        x.end();
        if (!clean(inv.note).isEmpty()) {
            x.start("ram:IncludedNote");
            x.text("ram:Content", inv.note);
            x.end();
        }
        x.end();

        x.start("rsm:SupplyChainTradeTransaction");
        for (const Line& line : s.lines)
            lineItem(line);
        agreement();
        delivery();
        settlement();
        x.end();

        x.end();
        return x.finish();
    }

private:
    void dateTime(const char* element, const QDate& date) {
        x.text(element, compactDate(date), "format", QStringLiteral("102"));
    }

    void amount(const char* element, Currency value) { x.text(element, amountText(value)); }

    void tradeTax(VatCategory category, double percent) {
        x.text("ram:TypeCode", QStringLiteral("VAT"));
        x.text("ram:CategoryCode", categoryCode(category));
        if (category != VatCategory::OutsideScope)
            x.text("ram:RateApplicablePercent", decimalText(percent));
    }

    void lineItem(const Line& line) {
        x.start("ram:IncludedSupplyChainTradeLineItem");
        x.start("ram:AssociatedDocumentLineDocument");
        x.text("ram:LineID", line.id);
        if (!clean(line.note).isEmpty()) {
            x.start("ram:IncludedNote");
            x.text("ram:Content", line.note);
            x.end();
        }
        x.end();

        x.start("ram:SpecifiedTradeProduct");
        x.text("ram:SellerAssignedID", line.sellerItemId);
        x.text("ram:Name", line.name);
        x.end();

        x.start("ram:SpecifiedLineTradeAgreement");
        x.start("ram:NetPriceProductTradePrice");
        x.text("ram:ChargeAmount", line.netPrice);
        if (line.baseQuantity != 1)
            x.text("ram:BasisQuantity", QString::number(line.baseQuantity), "unitCode",
                   line.unitCode);
        x.end();
        x.end();

        x.start("ram:SpecifiedLineTradeDelivery");
        x.text("ram:BilledQuantity", decimalText(line.quantity), "unitCode", line.unitCode);
        x.end();

        x.start("ram:SpecifiedLineTradeSettlement");
        x.start("ram:ApplicableTradeTax");
        tradeTax(line.category, line.vatPercent);
        x.end();
        if (line.allowance) {
            const LineAllowance& a = *line.allowance;
            x.start("ram:SpecifiedTradeAllowanceCharge");
            x.start("ram:ChargeIndicator");
            x.text("udt:Indicator", a.charge ? QStringLiteral("true") : QStringLiteral("false"));
            x.end();
            x.text("ram:CalculationPercent", decimalText(a.percent));
            amount("ram:BasisAmount", a.base);
            amount("ram:ActualAmount", a.amount);
            if (!a.charge)
                x.text("ram:ReasonCode", QStringLiteral("95"));
            x.text("ram:Reason",
                   a.charge ? QStringLiteral("Surcharge") : QStringLiteral("Discount"));
            x.end();
        }
        x.start("ram:SpecifiedTradeSettlementLineMonetarySummation");
        amount("ram:LineTotalAmount", line.netAmount);
        x.end();
        x.end();

        x.end();
    }

    void address(const Address& a) {
        x.start("ram:PostalTradeAddress");
        x.text("ram:PostcodeCode", a.postcode);
        QStringList lines;
        for (const QString& l : a.lines)
            if (!clean(l).isEmpty())
                lines << clean(l);
        if (lines.size() > 3)
            lines = {lines[0], lines[1], lines.mid(2).join(QLatin1String(", "))};
        const char* names[] = {"ram:LineOne", "ram:LineTwo", "ram:LineThree"};
        for (int i = 0; i < lines.size(); ++i)
            x.text(names[i], lines[i]);
        x.text("ram:CityName", a.city);
        x.text("ram:CountryID", a.countryCode.trimmed().toUpper());
        x.text("ram:CountrySubDivisionName", a.state);
        x.end();
    }

    void electronicAddress(const QString& mail) {
        if (clean(mail).isEmpty())
            return;
        x.start("ram:URIUniversalCommunication");
        x.text("ram:URIID", mail, "schemeID", QStringLiteral("EM"));
        x.end();
    }

    // VA: a VAT identifier, FC: a tax number.
    void taxRegistration(const QString& number, const char* scheme) {
        if (number.isEmpty())
            return;
        x.start("ram:SpecifiedTaxRegistration");
        x.text("ram:ID", number, "schemeID", QLatin1String(scheme));
        x.end();
    }

    void contact(const QString& name, const QString& phone, const QString& mail) {
        if (clean(name).isEmpty() && clean(phone).isEmpty() && clean(mail).isEmpty())
            return;
        x.start("ram:DefinedTradeContact");
        x.text("ram:PersonName", name);
        if (!clean(phone).isEmpty()) {
            x.start("ram:TelephoneUniversalCommunication");
            x.text("ram:CompleteNumber", phone);
            x.end();
        }
        if (!clean(mail).isEmpty()) {
            x.start("ram:EmailURIUniversalCommunication");
            x.text("ram:URIID", mail);
            x.end();
        }
        x.end();
    }

    void agreement() {
        const Seller& seller = inv.seller;
        const Buyer& buyer = inv.buyer;
        x.start("ram:ApplicableHeaderTradeAgreement");
        x.text("ram:BuyerReference", buyerReference(inv));

        x.start("ram:SellerTradeParty");
        x.text("ram:Name", seller.name);
        if (!clean(seller.legalRegistration).isEmpty()) {
            x.start("ram:SpecifiedLegalOrganization");
            x.text("ram:ID", seller.legalRegistration);
            x.end();
        }
        contact(sellerContactName(inv, profile), seller.phone, seller.electronicAddress);
        address(seller.address);
        electronicAddress(seller.electronicAddress);
        taxRegistration(sellerVatId(inv, s), "VA");
        taxRegistration(sellerTaxNumber(inv), "FC");
        x.end();

        x.start("ram:BuyerTradeParty");
        x.text("ram:ID", buyer.number);
        x.text("ram:Name", buyer.name);
        contact(buyerContactName(inv), QString(), QString());
        address(buyer.address);
        electronicAddress(buyer.electronicAddress);
        taxRegistration(buyerVatId(inv, s), "VA");
        x.end();

        x.end();
    }

    void delivery() {
        x.start("ram:ApplicableHeaderTradeDelivery");
        if (isIntraCommunity(s)) {
            x.start("ram:ShipToTradeParty");
            address(inv.buyer.address);
            x.end();
        }
        if (inv.deliveryDate.isValid()) {
            x.start("ram:ActualDeliverySupplyChainEvent");
            x.start("ram:OccurrenceDateTime");
            dateTime("udt:DateTimeString", inv.deliveryDate);
            x.end();
            x.end();
        }
        x.end();
    }

    void settlement() {
        x.start("ram:ApplicableHeaderTradeSettlement");
        x.text("ram:PaymentReference", inv.number);
        x.text("ram:InvoiceCurrencyCode", currency());

        x.start("ram:SpecifiedTradeSettlementPaymentMeans");
        x.text("ram:TypeCode", paymentMeansCode(inv));
        x.text("ram:Information", paymentMeansText(inv));
        if (!inv.isCredit() && !compact(inv.seller.iban).isEmpty()) {
            x.start("ram:PayeePartyCreditorFinancialAccount");
            x.text("ram:IBANID", compact(inv.seller.iban));
            x.text("ram:AccountName", inv.seller.name);
            x.end();
            if (!clean(inv.seller.bic).isEmpty()) {
                x.start("ram:PayeeSpecifiedCreditorFinancialInstitution");
                x.text("ram:BICID", compact(inv.seller.bic));
                x.end();
            }
        }
        x.end();

        for (const VatBreakdown& b : s.vat) {
            x.start("ram:ApplicableTradeTax");
            amount("ram:CalculatedAmount", b.tax);
            x.text("ram:TypeCode", QStringLiteral("VAT"));
            x.text("ram:ExemptionReason", b.exemptionReason);
            amount("ram:BasisAmount", b.taxable);
            x.text("ram:CategoryCode", categoryCode(b.category));
            x.text("ram:RateApplicablePercent", decimalText(b.percent));
            x.end();
        }

        x.start("ram:SpecifiedTradePaymentTerms");
        x.text("ram:Description", paymentTermsText(inv));
        if (!inv.isCredit() && inv.dueDate.isValid()) {
            x.start("ram:DueDateDateTime");
            dateTime("udt:DateTimeString", inv.dueDate);
            x.end();
        }
        x.end();

        x.start("ram:SpecifiedTradeSettlementHeaderMonetarySummation");
        amount("ram:LineTotalAmount", s.lineTotal);
        amount("ram:TaxBasisTotalAmount", s.lineTotal);
        x.text("ram:TaxTotalAmount", amountText(s.taxTotal), "currencyID", currency());
        if (!s.rounding.isZero())
            amount("ram:RoundingAmount", s.rounding);
        amount("ram:GrandTotalAmount", s.grandTotal);
        amount("ram:DuePayableAmount", s.payable);
        x.end();

        x.end();
    }
};

} // namespace

QByteArray writeCii(const Invoice& invoice, Profile profile) {
    return CiiWriter(invoice, profile).write();
}

} // namespace einvoice
