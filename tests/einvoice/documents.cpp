#include "documents.h"

#include <QXmlStreamReader>

namespace testdocs {

using namespace einvoice;

Row row(const QString& description, double qty, const QString& unit, double price,
        double vatPercent, double discount, const QString& code) {
    Row r;
    r.description = description;
    r.qty = qty;
    r.unit = unit;
    r.price = Currency::fromDouble(price);
    r.vatPercent = vatPercent;
    r.discount = discount;
    r.code = code;
    return r;
}

Row taxRow(const QString& description, double percent, double vatPercent) {
    Row r;
    r.code = QStringLiteral("Tax");
    r.unit = QStringLiteral("%");
    r.description = description;
    r.qty = percent;
    r.vatPercent = vatPercent;
    return r;
}

Row textRow(const QString& text) {
    Row r;
    r.description = text;
    return r;
}

void computeRows(Invoice& invoice) {
    Currency base;
    for (Row& r : invoice.rows) {
        const long double rate = r.vatPercent;
        const long double share = rate * 100.0L / (rate + 100.0L);
        if (r.isTaxRow()) {
            r.price = base;
            r.sum = base * (static_cast<long double>(r.qty) / 100.0L);
            base = Currency();
        } else {
            r.sum = r.price * (static_cast<long double>(r.qty) *
                               (1.0L - static_cast<long double>(r.discount) / 100.0L));
            base += r.sum;
        }
        r.vat = invoice.pricesIncludeVat ? r.sum * (share / 100.0L) : r.sum * (rate / 100.0L);
    }
}

Currency editorTotal(const Invoice& invoice) {
    Currency sums, vat;
    for (const Row& r : invoice.rows) {
        sums += r.sum;
        vat += r.vat;
    }
    Currency total = invoice.pricesIncludeVat ? sums : sums + vat;
    if (invoice.roundTotal)
        total = total.roundedToUnits();
    if (invoice.kind == QLatin1String(kCreditInvoice))
        total = -total;
    return total;
}

Seller seller() {
    Seller s;
    s.name = QStringLiteral("Nordlicht Werkstatt GmbH");
    s.address.lines = {QStringLiteral("Hafenstraße 12")};
    s.address.city = QStringLiteral("Hamburg");
    s.address.postcode = QStringLiteral("20457");
    s.address.countryCode = QStringLiteral("DE");
    s.vatNumber = QStringLiteral("DE 123456789");
    s.legalRegistration = QStringLiteral("HRB 12345 Amtsgericht Hamburg");
    s.electronicAddress = QStringLiteral("rechnung@nordlicht.example");
    s.phone = QStringLiteral("+49 40 1234567");
    s.iban = QStringLiteral("DE89 3704 0044 0532 0130 00");
    s.bic = QStringLiteral("COBADEFFXXX");
    s.bankText = QStringLiteral("Commerzbank Hamburg\nIBAN DE89 3704 0044 0532 0130 00");
    return s;
}

Buyer publicBuyer() {
    Buyer b;
    b.number = QStringLiteral("10042");
    b.name = QStringLiteral("Stadt Musterhausen – Bauamt");
    b.address.lines = {QStringLiteral("Rathausplatz 1"), QStringLiteral("Zimmer 204")};
    b.address.city = QStringLiteral("Musterhausen");
    b.address.postcode = QStringLiteral("12345");
    b.address.countryCode = QStringLiteral("DE");
    b.electronicAddress = QStringLiteral("rechnungseingang@musterhausen.example");
    b.buyerReference = QStringLiteral("04011000-12345-03");
    return b;
}

namespace {

Invoice base(const QString& kind, const QString& number) {
    Invoice inv;
    inv.seller = seller();
    inv.buyer = publicBuyer();
    inv.kind = kind;
    inv.number = number;
    inv.issueDate = QDate(2025, 3, 14);
    inv.termsDays = 30;
    inv.dueDate = inv.issueDate.addDays(30);
    inv.deliveryDate = QDate(2025, 3, 7);
    inv.currency = QStringLiteral("EUR");
    inv.vatRates = {{19, VatCategory::Standard, {}},
                    {7, VatCategory::Standard, {}},
                    {0, VatCategory::Exempt, QStringLiteral("Steuerfrei nach § 4 Nr. 21 UStG")}};
    return inv;
}

QList<Output> both(const QString& name) {
    return {{name + QStringLiteral("-facturx.xml"), Profile::En16931, false},
            {name + QStringLiteral("-xrechnung.xml"), Profile::XRechnung, true}};
}

// Two VAT rates and an exempt 0 % row, discounts, a tax row, a text row, a negative price,
// a long description, a quantity with three decimals, the free text.
Document mixed() {
    Invoice inv = base(QLatin1String(kInvoice), QStringLiteral("2025-0117"));
    inv.yourReference = QStringLiteral("Herr Schmidt");
    inv.ourReference = QStringLiteral("Anna Berg");
    inv.note = QStringLiteral("Vielen Dank für Ihren Auftrag.\nBitte geben Sie bei der Zahlung "
                              "die Rechnungsnummer an.");
    inv.rows = {
        textRow(QStringLiteral("Arbeiten vom 3. bis 7. März")),
        row(QStringLiteral("Montage Heizungsanlage"), 12.5, QStringLiteral("h"), 68.00, 19, 0,
            QStringLiteral("M-100")),
        row(QStringLiteral("Kupferrohr 22 mm"), 37.5, QStringLiteral("m"), 4.37, 19, 10,
            QStringLiteral("CU22")),
        row(QStringLiteral("Fachbuch Heizungstechnik"), 2, QStringLiteral("Stk"), 39.90, 7),
        taxRow(QStringLiteral("Umweltpauschale"), 3, 19),
        row(QStringLiteral("Schulung (Bildungsleistung)"), 1, QStringLiteral("Tag"), 450.00, 0),
        row(QStringLiteral("Gutschrift Altgerät"), 1, QStringLiteral("pcs"), -120.00, 19),
        row(QStringLiteral("Wartungsvertrag ..."), 1, QStringLiteral("Monat"), 89.00, 19, 5,
            QStringLiteral("W-12")),
        row(QStringLiteral("Kleinteile"), 3.333, QStringLiteral("kg"), 1.99, 19, 2.5),
        textRow(QStringLiteral("Entsorgung der Altteile inklusive")),
    };
    inv.rows[7].longDescription =
        QStringLiteral("Wartungsvertrag Heizungsanlage\nJährliche Inspektion, Reinigung des "
                       "Brenners und Abgasmessung; Fahrtkosten inbegriffen.");
    computeRows(inv);
    QList<Output> outputs = both(QStringLiteral("mixed"));
    outputs << Output{QStringLiteral("mixed-xrechnung-cii.xml"), Profile::XRechnung, false};
    return {QStringLiteral("mixed"), inv, outputs};
}

// Prices including VAT, a tax row on them, a zero-rated row, and the total rounded to a
// whole unit.
Document taxInvoice() {
    Invoice inv = base(QLatin1String(kTaxInvoice), QStringLiteral("TI-5521"));
    inv.pricesIncludeVat = true;
    inv.roundTotal = true;
    inv.deliveryDate = QDate(); // the rules only recommend it
    inv.vatRates = {{25, VatCategory::Standard, {}},
                    {12, VatCategory::Standard, {}},
                    {0, VatCategory::ZeroRated, {}}};
    inv.rows = {
        row(QStringLiteral("Gästezimmer"), 2, QStringLiteral("day"), 125.00, 25),
        row(QStringLiteral("Frühstück"), 3, QStringLiteral("st"), 19.90, 12, 10),
        row(QStringLiteral("Reinigung"), 7, QStringLiteral("h"), 3.33, 25),
        taxRow(QStringLiteral("Kurtaxe"), 5, 25),
        row(QStringLiteral("Zeitschriften"), 1, QStringLiteral(""), 99.95, 0),
    };
    computeRows(inv);
    return {QStringLiteral("taxinvoice"), inv, both(QStringLiteral("taxinvoice"))};
}

// A credit invoice: positive rows, a negative printed total rounded to a whole unit, a row
// given away with a discount of 100 %, type 381.
Document credit() {
    Invoice inv = base(QLatin1String(kCreditInvoice), QStringLiteral("G-2025-009"));
    inv.dueDate = QDate();
    inv.termsDays = 0;
    inv.yourReference = QStringLiteral("Frau Keller");
    inv.note = QStringLiteral("Gutschrift zur Rechnung 2025-0117 wegen Rücksendung.");
    inv.rows = {
        row(QStringLiteral("Kupferrohr 22 mm, zurückgenommen"), 10, QStringLiteral("m"), 4.37, 19,
            10, QStringLiteral("CU22")),
        row(QStringLiteral("Fachbuch Heizungstechnik"), 1, QStringLiteral("pcs"), 39.90, 7),
        row(QStringLiteral("Montage ..."), 1.5, QStringLiteral("hour"), 68.00, 19),
    };
    inv.rows << row(QStringLiteral("Kulanz: Prüfgebühr erlassen"), 1, QStringLiteral(""), 45.00, 19,
                    100);
    inv.rows[2].longDescription =
        QStringLiteral("Montage nicht ausgeführt; anteilig gutgeschrieben.");
    inv.roundTotal = true;
    computeRows(inv);
    QList<Output> outputs = both(QStringLiteral("credit"));
    outputs << Output{QStringLiteral("credit-xrechnung-cii.xml"), Profile::XRechnung, false};
    return {QStringLiteral("credit"), inv, outputs};
}

// Reverse charge to a Greek company: Greek names, an EL VAT number, no Leitweg-ID (so the
// customer's reference is the buyer reference), UBL in the plain European profile.
Document reverseCharge() {
    Invoice inv = base(QLatin1String(kInvoice), QStringLiteral("2025-0120"));
    inv.buyer = Buyer();
    inv.buyer.number = QStringLiteral("20077");
    inv.buyer.name = QStringLiteral("Ελληνικά Τεχνικά Έργα Α.Ε.");
    inv.buyer.address.lines = {QStringLiteral("Λεωφόρος Κηφισίας 44")};
    inv.buyer.address.city = QStringLiteral("Αθήνα");
    inv.buyer.address.postcode = QStringLiteral("115 26");
    inv.buyer.address.countryCode = QStringLiteral("GR");
    inv.buyer.vatNumber = QStringLiteral("EL094019245");
    inv.buyer.electronicAddress = QStringLiteral("logistirio@texnika.example");
    inv.yourReference = QStringLiteral("Κος Παπαδόπουλος");
    inv.vatRates = {{0, VatCategory::ReverseCharge, QStringLiteral("Reverse charge")}};
    inv.rows = {
        row(QStringLiteral("Planung Lüftungsanlage"), 16, QStringLiteral("hrs"), 95.00, 0, 5),
        row(QStringLiteral("Reisekosten"), 1, QStringLiteral("ls"), 380.00, 0),
    };
    computeRows(inv);
    return {QStringLiteral("reversecharge"),
            inv,
            {{QStringLiteral("reversecharge-facturx.xml"), Profile::En16931, false},
             {QStringLiteral("reversecharge-ubl.xml"), Profile::En16931, true}}};
}

// An intra-community supply to Austria: delivery date and the country delivered to.
Document intraCommunity() {
    Invoice inv = base(QLatin1String(kInvoice), QStringLiteral("2025-0121"));
    inv.buyer.number = QStringLiteral("30011");
    inv.buyer.name = QStringLiteral("Ötztaler Holzbau GmbH");
    inv.buyer.address.lines = {QStringLiteral("Dorfstraße 3")};
    inv.buyer.address.city = QStringLiteral("Sölden");
    inv.buyer.address.postcode = QStringLiteral("6450");
    inv.buyer.address.countryCode = QStringLiteral("AT");
    inv.buyer.vatNumber = QStringLiteral("ATU12345678");
    inv.buyer.buyerReference = QStringLiteral("991-01234-56");
    inv.buyer.electronicAddress = QStringLiteral("buchhaltung@oetztaler.example");
    inv.deliveryDate = QDate(2025, 3, 12);
    inv.vatRates = {{0, VatCategory::IntraCommunity,
                     QStringLiteral("Steuerfreie innergemeinschaftliche Lieferung")}};
    inv.rows = {
        row(QStringLiteral("Lärchenholz, gehobelt"), 1250, QStringLiteral("kg"), 2.15, 0),
        row(QStringLiteral("Befestigungssatz"), 40, QStringLiteral("set"), 12.80, 0, 15),
    };
    computeRows(inv);
    return {QStringLiteral("intracommunity"), inv, both(QStringLiteral("intracommunity"))};
}

// An export to China: Chinese names, dollars, category G.
Document exportChina() {
    Invoice inv = base(QLatin1String(kInvoice), QStringLiteral("2025-0122"));
    inv.buyer = Buyer();
    inv.buyer.number = QStringLiteral("40003");
    inv.buyer.name = QStringLiteral("北京暖通设备有限公司");
    inv.buyer.address.lines = {QStringLiteral("朝阳区建国路88号")};
    inv.buyer.address.city = QStringLiteral("北京");
    inv.buyer.address.postcode = QStringLiteral("100022");
    inv.buyer.address.countryCode = QStringLiteral("CN");
    inv.currency = QStringLiteral("USD");
    inv.yourReference = QStringLiteral("王先生");
    inv.vatRates = {{0, VatCategory::Export, QStringLiteral("Export outside the EU")}};
    inv.rows = {
        row(QStringLiteral("Wärmepumpe WP-9"), 3, QStringLiteral("pcs"), 7490.00, 0, 7.5,
            QStringLiteral("WP-9")),
        row(QStringLiteral("Seefracht"), 1, QStringLiteral(""), 1275.50, 0),
    };
    computeRows(inv);
    return {QStringLiteral("export"),
            inv,
            {{QStringLiteral("export-facturx.xml"), Profile::En16931, false},
             {QStringLiteral("export-ubl.xml"), Profile::En16931, true}}};
}

// Outside the scope of VAT: no VAT numbers may be sent, the legal registration stands in.
Document outsideScope() {
    Invoice inv = base(QLatin1String(kInvoice), QStringLiteral("2025-0123"));
    inv.vatRates = {{0, VatCategory::OutsideScope, QStringLiteral("Nicht steuerbar")}};
    inv.rows = {
        row(QStringLiteral("Schadenersatz laut Vergleich"), 1, QStringLiteral(""), 2500.00, 0),
    };
    computeRows(inv);
    return {QStringLiteral("outside"), inv, both(QStringLiteral("outside"))};
}

// A large quantity at a price including VAT: the net price needs more than four decimals for
// quantity x price to give the line amount. A negative discount is a surcharge. The company
// has a tax number only.
Document largeQuantity() {
    Invoice inv = base(QLatin1String(kInvoice), QStringLiteral("2025-0124"));
    inv.seller.vatNumber = QStringLiteral("12/345/67890"); // a tax number, no VAT identifier
    inv.pricesIncludeVat = true;
    inv.rows = {
        row(QStringLiteral("Schrauben 4x40"), 12345.678, QStringLiteral("pcs"), 0.19, 19),
        row(QStringLiteral("Dübel"), 98765, QStringLiteral("st"), 0.07, 19, 3),
        row(QStringLiteral("Fachliteratur"), 3, QStringLiteral("pcs"), 24.99, 7),
        row(QStringLiteral("Eilzuschlag"), 1, QStringLiteral(""), 49.00, 19, -15),
    };
    computeRows(inv);
    return {QStringLiteral("largeqty"), inv, both(QStringLiteral("largeqty"))};
}

} // namespace

QList<Document> documents() {
    return {mixed(),          taxInvoice(),  credit(),       reverseCharge(),
            intraCommunity(), exportChina(), outsideScope(), largeQuantity()};
}

Invoice simpleInvoice() {
    Invoice inv = base(QLatin1String(kInvoice), QStringLiteral("2025-0001"));
    inv.rows = {row(QStringLiteral("Beratung"), 2, QStringLiteral("h"), 100.00, 19)};
    computeRows(inv);
    return inv;
}

namespace {

template <typename Take>
void walk(const QByteArray& xml, const QString& path, Take take) {
    const QStringList wanted = path.split(u'/');
    QStringList stack;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            stack << reader.name().toString();
            if (stack.size() >= wanted.size() && stack.mid(stack.size() - wanted.size()) == wanted)
                take(reader);
            if (reader.isEndElement()) // take() read the element's text
                stack.removeLast();
        } else if (reader.isEndElement()) {
            stack.removeLast();
        }
    }
}

} // namespace

QStringList xmlValues(const QByteArray& xml, const QString& path) {
    QStringList out;
    walk(xml, path, [&](QXmlStreamReader& r) {
        out << r.readElementText(QXmlStreamReader::IncludeChildElements);
    });
    return out;
}

QStringList xmlAttributes(const QByteArray& xml, const QString& path, const QString& attribute) {
    QStringList out;
    walk(xml, path,
         [&](QXmlStreamReader& r) { out << r.attributes().value(attribute).toString(); });
    return out;
}

QString xmlRoot(const QByteArray& xml) {
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return reader.name().toString();
    return QString();
}

} // namespace testdocs
