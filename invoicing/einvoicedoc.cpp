#include "invoicing/einvoicedoc.h"

#include "db/dataset.h"
#include "db/field.h"
#include "db/session.h"
#include "db/table.h"
#include "einvoice/codes.h"
#include "invoicing/rowcalc.h"
#include "service/service.h"

#include <vector>

namespace invoicing {

namespace {

// A field an older table may not have reads as empty.
QString text(db::DataSet& t, const char* name) {
    db::Field* f = t.FindField(QString::fromUtf8(name));
    return f ? f->AsString().trimmed() : QString();
}

void openTable(db::Table& t, const QString& dir, const QString& name) {
    t.setDatabaseName(dir);
    t.setTableName(name);
    t.Open();
}

} // namespace

EInvoiceFormat eInvoiceFormatFromText(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String(kFacturX), Qt::CaseInsensitive) == 0)
        return EInvoiceFormat::FacturX;
    if (t.compare(QLatin1String(kXRechnung), Qt::CaseInsensitive) == 0)
        return EInvoiceFormat::XRechnung;
    return EInvoiceFormat::None;
}

QString eInvoiceFormatText(EInvoiceFormat format) {
    switch (format) {
    case EInvoiceFormat::FacturX:
        return QString::fromLatin1(kFacturX);
    case EInvoiceFormat::XRechnung:
        return QString::fromLatin1(kXRechnung);
    case EInvoiceFormat::None:
        break;
    }
    return QString();
}

EInvoiceCustomer eInvoiceCustomerFrom(db::DataSet& t, const QString& defaultCountry) {
    EInvoiceCustomer c;
    c.found = true;
    einvoice::Buyer& b = c.buyer;
    b.number = text(t, "Cust. no");
    b.name = text(t, "Company");
    for (const char* line : {"Address line 1", "Address line 2"}) {
        const QString l = text(t, line);
        if (!l.isEmpty())
            b.address.lines << l;
    }
    b.address.postcode = text(t, "Zip");
    b.address.city = text(t, "City");
    b.address.state = text(t, "State");
    b.address.countryCode = text(t, "Country code").toUpper();
    if (b.address.countryCode.isEmpty())
        b.address.countryCode = defaultCountry.trimmed().toUpper();
    b.vatNumber = text(t, "VAT No.").remove(QLatin1Char(' '));
    b.electronicAddress = text(t, "E-mail");
    b.buyerReference = text(t, "Buyer reference");
    c.format = eInvoiceFormatFromText(text(t, "E-invoice format"));
    return c;
}

EInvoiceCustomer findEInvoiceCustomer(db::Session& session, const QString& dataDir,
                                      const QString& customerNo, const QString& defaultCountry) {
    db::Table customers;
    customers.setSession(&session);
    openTable(customers, dataDir, QStringLiteral("Customers"));
    if (customerNo.trimmed().isEmpty() ||
        !customers.Locate(QStringLiteral("Cust. no"), customerNo.trimmed(),
                          db::LocateCaseInsensitive))
        return {};
    return eInvoiceCustomerFrom(customers, defaultCountry);
}

einvoice::VatCategory vatCategoryFor(double percent, const QString& storedCode) {
    if (const auto category = einvoice::categoryFromCode(storedCode.trimmed().toUpper()))
        return *category;
    return percent == 0 ? einvoice::VatCategory::ZeroRated : einvoice::VatCategory::Standard;
}

QList<einvoice::VatRate> eInvoiceVatRates(const QString& dataDir) {
    db::Table vat;
    openTable(vat, dataDir, QStringLiteral("VAT"));
    QList<einvoice::VatRate> rates;
    for (vat.First(); !vat.Eof(); vat.Next()) {
        db::Field& percent = vat.FieldByName(QStringLiteral("VAT %"));
        if (percent.IsNull())
            continue;
        einvoice::VatRate r;
        r.percent = percent.AsFloat();
        r.category = vatCategoryFor(r.percent, text(vat, "Category"));
        r.exemptionReason = text(vat, "Exemption reason");
        rates << r;
    }
    return rates;
}

einvoice::Seller companyAsSeller() {
    einvoice::Seller s;
    s.name = Service::CompanyName.trimmed();
    for (const QString& line : Service::CompanyAddress.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            s.address.lines << line.trimmed();
    s.address.city = Service::CompanyCity.trimmed();
    s.address.postcode = Service::CompanyZip.trimmed();
    s.address.state = Service::CompanyState.trimmed();
    s.address.countryCode = Service::CompanyCountry.trimmed().toUpper();
    s.vatNumber = Service::VATnumber.trimmed().remove(QLatin1Char(' '));
    s.legalRegistration = Service::CompanyLegalNo.trimmed();
    s.electronicAddress = Service::CompanyEmail.trimmed();
    s.phone = Service::CompanyPhone.trimmed();
    s.iban = Service::CompanyIBAN.trimmed().remove(QLatin1Char(' ')).toUpper();
    s.bic = Service::CompanyBIC.trimmed().toUpper();
    s.bankText = Service::CompanyBank;
    return s;
}

QList<einvoice::Row> eInvoiceRows(const QString& dataDir, bool vatInPrice) {
    db::Table t;
    openTable(t, dataDir, QStringLiteral("TRow"));
    QList<einvoice::Row> rows;
    std::vector<WorkRow> work;
    for (t.First(); !t.Eof(); t.Next()) {
        einvoice::Row r;
        r.item = text(t, "Item");
        r.code = text(t, "Code");
        r.description = text(t, "Description");
        r.qty = t.FieldByName(QStringLiteral("Qty")).AsFloat();
        r.unit = text(t, "Unit");
        r.price = t.FieldByName(QStringLiteral("Price")).AsCurrency();
        r.discount = t.FieldByName(QStringLiteral("Discount")).AsFloat();
        r.vatPercent = t.FieldByName(QStringLiteral("VAT %")).AsFloat();
        if (db::Field* longDesc = t.FindField(QStringLiteral("LongDesc"));
            longDesc && longDesc->AsBoolean())
            r.longDescription = text(t, "LDesc");
        // A trailing row the grid left behind carries nothing.
        if (r.description.isEmpty() && r.code.isEmpty() && r.price.isZero() && r.qty == 0 &&
            r.longDescription.isEmpty())
            continue;
        WorkRow w;
        w.code = r.code;
        w.unit = r.unit;
        w.qty = r.qty;
        w.discount = r.discount;
        w.vatPercent = r.vatPercent;
        w.price = r.price;
        work.push_back(w);
        rows << r;
    }
    // The row computation is the editor's own: "Sum", "VAT" and the tax rows' running base.
    computeRows(work, vatInPrice);
    for (int i = 0; i < rows.size(); ++i) {
        rows[i].sum = work[static_cast<size_t>(i)].sum;
        rows[i].vat = work[static_cast<size_t>(i)].vat;
        if (rows[i].isTaxRow())
            rows[i].price = work[static_cast<size_t>(i)].price;
    }
    return rows;
}

einvoice::Invoice buildEInvoice(const EInvoiceHead& head, const einvoice::Buyer& buyer,
                                const QList<einvoice::Row>& rows,
                                const QList<einvoice::VatRate>& rates) {
    einvoice::Invoice inv;
    inv.seller = companyAsSeller();
    inv.buyer = buyer;
    inv.kind = head.kind;
    inv.number = head.number.trimmed();
    inv.issueDate = head.date;
    inv.deliveryDate = head.date; // the supply is dated with the document
    inv.dueDate = head.due;
    inv.termsDays = head.termsDays;
    inv.yourReference = head.yourReference.trimmed();
    inv.ourReference = head.ourReference.trimmed();
    inv.note = head.note.trimmed();
    inv.currency = Service::CompanyCurrency.trimmed().toUpper();
    if (inv.currency.isEmpty())
        inv.currency = einvoice::defaultCurrency(inv.seller.address.countryCode);
    inv.pricesIncludeVat = Service::VATinPrice;
    inv.roundTotal = head.roundTotal;
    inv.displayDecimals = Service::Decimals;
    inv.totalsFollowRules = true;
    inv.rows = rows;
    inv.vatRates = rates;
    return inv;
}

} // namespace invoicing
