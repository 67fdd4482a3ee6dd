#include "einvoice/xmlout.h"

#include "einvoice/codes.h"

namespace einvoice::detail {

XmlOut::XmlOut()
    : m_writer(&m_data) {
    m_writer.setAutoFormatting(true);
    m_writer.setAutoFormattingIndent(2);
    m_writer.writeStartDocument(QStringLiteral("1.0"));
}

void XmlOut::start(const char* name) {
    m_writer.writeStartElement(QLatin1String(name));
}

void XmlOut::end() {
    m_writer.writeEndElement();
}

void XmlOut::text(const char* name, const QString& value) {
    const QString v = clean(value);
    if (v.isEmpty())
        return;
    m_writer.writeTextElement(QLatin1String(name), v);
}

void XmlOut::text(const char* name, const QString& value, const char* attribute,
                  const QString& attributeValue) {
    const QString v = clean(value);
    if (v.isEmpty())
        return;
    m_writer.writeStartElement(QLatin1String(name));
    m_writer.writeAttribute(QLatin1String(attribute), attributeValue);
    m_writer.writeCharacters(v);
    m_writer.writeEndElement();
}

void XmlOut::attribute(const char* name, const QString& value) {
    m_writer.writeAttribute(QLatin1String(name), value);
}

QByteArray XmlOut::finish() {
    m_writer.writeEndDocument();
    return m_data;
}

QString clean(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
            continue;
        }
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF)
            continue;
        if (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r')
            continue;
        out += c;
    }
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(u'\r', u'\n');
    return out.trimmed();
}

QString specificationId(Profile profile) {
    return profile == Profile::XRechnung
               ? QStringLiteral(
                     "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0")
               : QStringLiteral("urn:cen.eu:en16931:2017");
}

QString typeCode(const Invoice& invoice) {
    return invoice.isCredit() ? QStringLiteral("381") : QStringLiteral("380");
}

QString paymentMeansCode(const Invoice& invoice) {
    return invoice.isCredit() ? QStringLiteral("1") : QStringLiteral("58");
}

QString paymentMeansText(const Invoice& invoice) {
    if (invoice.isCredit())
        return QString();
    QStringList lines;
    for (const QString& line : clean(invoice.seller.bankText).split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    return lines.join(QLatin1String("; "));
}

QString paymentTermsText(const Invoice& invoice) {
    const QString given = clean(invoice.paymentTerms);
    if (!given.isEmpty())
        return given;
    if (invoice.isCredit())
        return QStringLiteral("The amount is credited to you.");
    if (invoice.termsDays > 0)
        return QStringLiteral("Payable within %1 days.").arg(invoice.termsDays);
    return QStringLiteral("Payable immediately.");
}

QString buyerReference(const Invoice& invoice) {
    const QString routing = clean(invoice.buyer.buyerReference);
    return routing.isEmpty() ? clean(invoice.yourReference) : routing;
}

QString buyerContactName(const Invoice& invoice) {
    return clean(invoice.buyer.buyerReference).isEmpty() ? QString() : clean(invoice.yourReference);
}

QString sellerContactName(const Invoice& invoice, Profile profile) {
    const QString ours = clean(invoice.ourReference);
    if (!ours.isEmpty() || profile != Profile::XRechnung)
        return ours;
    return clean(invoice.seller.name);
}

bool writesVatNumbers(const Settlement& settlement) {
    for (const VatBreakdown& b : settlement.vat)
        if (b.category == VatCategory::OutsideScope)
            return false;
    return true;
}

QString sellerVatId(const Invoice& invoice, const Settlement& settlement) {
    const QString number = compact(invoice.seller.vatNumber);
    return writesVatNumbers(settlement) && hasVatCountryPrefix(number) ? number : QString();
}

QString sellerTaxNumber(const Invoice& invoice) {
    const QString number = clean(invoice.seller.vatNumber);
    return hasVatCountryPrefix(compact(number)) ? QString() : number;
}

QString buyerVatId(const Invoice& invoice, const Settlement& settlement) {
    return writesVatNumbers(settlement) ? compact(invoice.buyer.vatNumber) : QString();
}

bool isIntraCommunity(const Settlement& settlement) {
    for (const VatBreakdown& b : settlement.vat)
        if (b.category == VatCategory::IntraCommunity)
            return true;
    return false;
}

QString compact(const QString& typed) {
    QString out;
    for (QChar c : clean(typed))
        if (!c.isSpace())
            out += c.toUpper();
    return out;
}

QString isoDate(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString compactDate(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : QString();
}

} // namespace einvoice::detail
