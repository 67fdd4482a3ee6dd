// Where each part of a document ends up in the two syntaxes.
#include "documents.h"

#include "einvoice/settlement.h"

#include <gtest/gtest.h>

using namespace einvoice;
using namespace testdocs;

namespace {

Document find(const QString& name) {
    for (const Document& d : documents())
        if (d.name == name)
            return d;
    ADD_FAILURE() << "no document " << name.toStdString();
    return {};
}

QByteArray cii(const QString& name) {
    return writeCii(find(name).invoice, Profile::En16931);
}

QByteArray ubl(const QString& name) {
    return writeUbl(find(name).invoice, Profile::XRechnung);
}

TEST(Mapping, HeadPartiesAndReferences) {
    const QByteArray u = ubl("mixed");
    EXPECT_EQ(xmlValues(u, "Invoice/ID"), QStringList{"2025-0117"});
    EXPECT_EQ(xmlValues(u, "IssueDate"), QStringList{"2025-03-14"});
    EXPECT_EQ(xmlValues(u, "Invoice/DueDate"), QStringList{"2025-04-13"});
    EXPECT_EQ(xmlValues(u, "InvoiceTypeCode"), QStringList{"380"});
    EXPECT_EQ(xmlValues(u, "BuyerReference"), QStringList{"04011000-12345-03"});
    EXPECT_EQ(xmlValues(u, "AccountingSupplierParty/Party/Contact/Name"), QStringList{"Anna Berg"});
    EXPECT_EQ(xmlValues(u, "AccountingCustomerParty/Party/Contact/Name"),
              QStringList{"Herr Schmidt"});
    EXPECT_EQ(xmlValues(u, "AccountingSupplierParty/Party/PartyTaxScheme/CompanyID"),
              QStringList{"DE123456789"});
    EXPECT_EQ(xmlValues(u, "AccountingSupplierParty/Party/EndpointID"),
              QStringList{"rechnung@nordlicht.example"});
    EXPECT_EQ(xmlValues(u, "PaymentMeans/PaymentMeansCode"), QStringList{"58"});
    EXPECT_EQ(xmlValues(u, "PayeeFinancialAccount/ID"), QStringList{"DE89370400440532013000"});
    EXPECT_EQ(xmlValues(u, "FinancialInstitutionBranch/ID"), QStringList{"COBADEFFXXX"});
    EXPECT_EQ(xmlValues(u, "PaymentTerms/Note"), QStringList{"Payable within 30 days."});
    EXPECT_EQ(xmlValues(u, "Invoice/Note").value(0),
              "Vielen Dank für Ihren Auftrag.\nBitte geben Sie bei der Zahlung die "
              "Rechnungsnummer an.");

    // Without a routing id, "your reference" is the buyer reference; names stay as written.
    const QByteArray greek = cii("reversecharge");
    EXPECT_EQ(xmlValues(greek, "BuyerReference"), QStringList{"Κος Παπαδόπουλος"});
    EXPECT_EQ(xmlValues(greek, "BuyerTradeParty/Name"), QStringList{"Ελληνικά Τεχνικά Έργα Α.Ε."});
    EXPECT_EQ(xmlValues(greek, "BuyerTradeParty/SpecifiedTaxRegistration/ID"),
              QStringList{"EL094019245"});
    EXPECT_EQ(xmlValues(cii("export"), "BuyerTradeParty/PostalTradeAddress/CityName"),
              QStringList{"北京"});
}

TEST(Mapping, RowsBecomeLines) {
    const QByteArray c = cii("mixed");
    // Ten rows: two text rows become notes, the others lines.
    EXPECT_EQ(xmlValues(c, "AssociatedDocumentLineDocument/LineID"),
              QStringList({"1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(xmlAttributes(c, "BilledQuantity", "unitCode"),
              QStringList({"HUR", "MTR", "H87", "P1", "DAY", "H87", "MON", "KGM"}));
    EXPECT_EQ(xmlValues(c, "BilledQuantity"),
              QStringList({"12.5", "37.5", "2", "3", "1", "-1", "1", "3.333"}));
    EXPECT_EQ(xmlValues(c, "SpecifiedTradeProduct/SellerAssignedID"),
              QStringList({"M-100", "CU22", "W-12"}));
    // The tax row: 3 % of its base, the base as the price per hundred.
    EXPECT_EQ(xmlValues(c, "NetPriceProductTradePrice/BasisQuantity"), QStringList{"100"});
    const QStringList notes = xmlValues(c, "AssociatedDocumentLineDocument/IncludedNote/Content");
    EXPECT_EQ(notes.value(0), "Arbeiten vom 3. bis 7. März");
    EXPECT_TRUE(notes.value(1).startsWith("Wartungsvertrag Heizungsanlage\nJährliche"));
    EXPECT_EQ(notes.value(2), "Entsorgung der Altteile inklusive");
    EXPECT_EQ(xmlValues(c, "SpecifiedTradeAllowanceCharge/CalculationPercent"),
              QStringList({"10", "5", "2.5"}));
    EXPECT_EQ(xmlValues(c, "SpecifiedTradeAllowanceCharge/ReasonCode"),
              QStringList({"95", "95", "95"}));
}

TEST(Mapping, VatBreakdownPerCategoryAndRate) {
    const QByteArray u = ubl("mixed");
    EXPECT_EQ(xmlValues(u, "TaxSubtotal/TaxCategory/ID"), QStringList({"S", "S", "E"}));
    EXPECT_EQ(xmlValues(u, "TaxSubtotal/TaxCategory/Percent"), QStringList({"19", "7", "0"}));
    EXPECT_EQ(xmlValues(u, "TaxSubtotal/TaxCategory/TaxExemptionReason"),
              QStringList{"Steuerfrei nach § 4 Nr. 21 UStG"});
    const Settlement s = settle(find("mixed").invoice);
    QStringList taxes;
    for (const VatBreakdown& b : s.vat)
        taxes << amountText(b.tax);
    EXPECT_EQ(xmlValues(u, "TaxSubtotal/TaxAmount"), taxes);
    EXPECT_EQ(xmlValues(u, "TaxTotal/TaxAmount"), QStringList{amountText(s.taxTotal)});
}

TEST(Mapping, PricesIncludingVatAndWholeUnitRounding) {
    const Document doc = find("taxinvoice");
    const QByteArray c = cii("taxinvoice");
    // 125.00 including 25 % is 100.00 net; 19.90 including 12 % is 17.767857... net.
    EXPECT_EQ(xmlValues(c, "NetPriceProductTradePrice/ChargeAmount").value(0), "100.00");
    EXPECT_TRUE(
        xmlValues(c, "NetPriceProductTradePrice/ChargeAmount").value(1).startsWith("17.76"));
    const QString payable = xmlValues(c, "DuePayableAmount").value(0);
    EXPECT_TRUE(payable.endsWith(".00")) << payable.toStdString();
    const Settlement s = settle(doc.invoice);
    EXPECT_EQ(xmlValues(c, "RoundingAmount"), QStringList{amountText(s.rounding)});
    EXPECT_EQ(s.grandTotal + s.rounding, s.payable);
    EXPECT_EQ(xmlValues(c, "TypeCode").value(0), "380"); // a tax invoice is a commercial invoice
    EXPECT_EQ(xmlValues(c, "ApplicableTradeTax/CategoryCode").last(), "Z");
}

TEST(Mapping, CreditInvoiceIsACreditNoteWithPositiveAmounts) {
    const QByteArray u = ubl("credit");
    EXPECT_EQ(xmlRoot(u), "CreditNote");
    EXPECT_EQ(xmlValues(u, "CreditNoteTypeCode"), QStringList{"381"});
    EXPECT_EQ(xmlAttributes(u, "CreditNoteLine/CreditedQuantity", "unitCode"),
              QStringList({"MTR", "H87", "HUR", "C62"}));
    for (const QString& amount : xmlValues(u, "CreditNoteLine/LineExtensionAmount"))
        EXPECT_FALSE(amount.startsWith('-')) << amount.toStdString();
    EXPECT_FALSE(xmlValues(u, "PayableAmount").value(0).startsWith('-'));
    EXPECT_TRUE(xmlValues(u, "PayeeFinancialAccount/ID").isEmpty());
    const QByteArray c = cii("credit");
    EXPECT_EQ(xmlValues(c, "ExchangedDocument/TypeCode"), QStringList{"381"});
    EXPECT_TRUE(xmlValues(c, "DueDateDateTime/DateTimeString").isEmpty());
}

TEST(Mapping, CategoriesWithoutVat) {
    const QByteArray k = ubl("intracommunity");
    EXPECT_EQ(xmlValues(k, "Delivery/ActualDeliveryDate"), QStringList{"2025-03-12"});
    EXPECT_EQ(xmlValues(k, "Delivery/DeliveryLocation/Address/Country/IdentificationCode"),
              QStringList{"AT"});
    EXPECT_EQ(xmlValues(k, "TaxSubtotal/TaxCategory/ID"), QStringList{"K"});

    // Outside the scope of VAT: no VAT numbers, no rate on the lines.
    const QByteArray o = ubl("outside");
    EXPECT_TRUE(xmlValues(o, "PartyTaxScheme/CompanyID").isEmpty());
    EXPECT_TRUE(xmlValues(o, "ClassifiedTaxCategory/Percent").isEmpty());
    EXPECT_EQ(xmlValues(o, "TaxSubtotal/TaxCategory/ID"), QStringList{"O"});
    EXPECT_EQ(xmlValues(o, "PartyLegalEntity/CompanyID"),
              QStringList{"HRB 12345 Amtsgericht Hamburg"});
}

TEST(Mapping, TaxNumberIsSentAsSuch) {
    const QByteArray u = ubl("largeqty");
    EXPECT_EQ(xmlValues(u, "AccountingSupplierParty/Party/PartyTaxScheme/CompanyID"),
              QStringList{"12/345/67890"});
    EXPECT_EQ(xmlValues(u, "AccountingSupplierParty/Party/PartyTaxScheme/TaxScheme/ID"),
              QStringList{"FC"});
    const QByteArray c = writeCii(find("largeqty").invoice, Profile::En16931);
    EXPECT_EQ(xmlAttributes(c, "SellerTradeParty/SpecifiedTaxRegistration/ID", "schemeID"),
              QStringList{"FC"});
}

TEST(Mapping, TextThatXmlCannotCarryIsLeftOut) {
    Invoice inv = simpleInvoice();
    inv.note = QStringLiteral("Bell\x07 and form feed\x0C gone");
    inv.buyer.name = QStringLiteral("A & B <Partner> \"Ltd\"");
    const QByteArray u = writeUbl(inv, Profile::XRechnung);
    EXPECT_EQ(xmlValues(u, "Invoice/Note"), QStringList{"Bell and form feed gone"});
    EXPECT_EQ(xmlValues(u, "AccountingCustomerParty/Party/PartyLegalEntity/RegistrationName"),
              QStringList{"A & B <Partner> \"Ltd\""});
    EXPECT_FALSE(u.contains('\x07'));
}

} // namespace
