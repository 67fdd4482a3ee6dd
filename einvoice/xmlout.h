#pragma once

#include "einvoice/einvoice.h"
#include "einvoice/settlement.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>

#include <utility>

// What the two syntaxes share: an XML writer that leaves out empty elements (the rules
// forbid them), and the mapping decisions that do not depend on the syntax.
namespace einvoice::detail {

class XmlOut {
public:
    XmlOut();
    void start(const char* name);
    void end();
    // <name attributes...>value</name>, left out when the value is empty.
    void text(const char* name, const QString& value);
    void text(const char* name, const QString& value, const char* attribute,
              const QString& attributeValue);
    void attribute(const char* name, const QString& value);
    QByteArray finish();

private:
    QByteArray m_data;
    QXmlStreamWriter m_writer;
};

// What every writer works from: the document, its amounts and the XML being written.
struct WriterBase {
    WriterBase(const Invoice& invoice, Profile profile)
        : inv(invoice)
        , profile(profile)
        , s(settle(invoice)) {}
    QString currency() const { return inv.currency.trimmed().toUpper(); }

    const Invoice& inv;
    const Profile profile;
    const Settlement s;
    XmlOut x;
};

// Text without the control characters XML 1.0 cannot carry, trimmed.
QString clean(const QString& text);

inline constexpr const char* kPeppolBilling = "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0";
QString specificationId(Profile profile);

// 380 commercial invoice (also for a tax invoice), 381 credit note.
QString typeCode(const Invoice& invoice);
// 58 SEPA credit transfer for invoices; a credit note names no instrument (1): the seller
// pays it back, so the seller's account is no payment instruction for it.
QString paymentMeansCode(const Invoice& invoice);
QString paymentMeansText(const Invoice& invoice);
QString paymentTermsText(const Invoice& invoice);

// The public buyer's routing id, otherwise "your reference".
QString buyerReference(const Invoice& invoice);
// "Your reference" names the buyer's contact when the routing id takes the buyer reference.
QString buyerContactName(const Invoice& invoice);
// "Our reference" is the seller's contact; XRechnung wants one, so the company name stands in.
QString sellerContactName(const Invoice& invoice, Profile profile);

// Rows outside the scope of VAT forbid VAT numbers on the document.
bool writesVatNumbers(const Settlement& settlement);
// A VAT number with its country prefix is the VAT identifier; without one it is taken for
// the local tax number (the German "Steuernummer"), which the rules accept in its place for
// most categories. Each is empty where the other applies.
QString sellerVatId(const Invoice& invoice, const Settlement& settlement);
QString sellerTaxNumber(const Invoice& invoice);
QString buyerVatId(const Invoice& invoice, const Settlement& settlement);
// An intra-community supply names its delivery date and the country delivered to.
bool isIntraCommunity(const Settlement& settlement);

// Upper case without spaces, as VAT numbers, IBANs and BICs are sent.
QString compact(const QString& typed);
QString isoDate(const QDate& date);     // 2025-03-31
QString compactDate(const QDate& date); // 20250331

} // namespace einvoice::detail
