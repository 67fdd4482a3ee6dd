#include "printedinvoice.h"

#include "einvoice/settlement.h"
#include "service/service.h"

#include <QLocale>

using einvoice::Invoice;
using einvoice::Row;

QString PrintedInvoice::amount(Currency value) {
    return value.format(2, false, QLocale::c());
}

PrintedInvoice::PrintedInvoice(const Invoice& invoice)
    : rows({"Item", "Code", "Description", "Qty", "Unit", "Price", "Discount", "VAT %", "Sum",
            "LongDesc", "LDesc"}) {
    const einvoice::Seller& s = invoice.seller;
    Service::CompanyName = s.name;
    Service::CompanyShortName = s.name;
    Service::CompanyAddress = s.address.lines.join(QLatin1String(", "));
    Service::CompanyCity = s.address.city;
    Service::CompanyZip = s.address.postcode;
    Service::CompanyPhone = s.phone;
    Service::CompanyFax.clear();
    Service::CompanyEmail = s.electronicAddress;
    Service::VATnumber = s.vatNumber;
    Service::CompanyBank = s.bankText;
    Service::VAT = true;

    Currency sums, vat;
    int item = 0;
    for (const Row& row : invoice.rows) {
        sums += row.sum;
        vat += row.vat;
        const bool text = row.isTextRow();
        rows.append({text ? QString() : QString::number(++item), row.code, row.description,
                     text ? QString() : einvoice::decimalText(row.qty), row.unit,
                     text ? QString() : amount(row.price),
                     text ? QString() : einvoice::decimalText(row.discount),
                     text ? QString() : einvoice::decimalText(row.vatPercent),
                     text ? QString() : amount(row.sum), !row.longDescription.isEmpty(),
                     row.longDescription});
    }
    totalText = amount(einvoice::printedTotal(invoice));

    // In the shipped Classic design, as a new company prints.
    const QString design = Service::DesignFile;
    Service::DesignFile =
        Service::filePath(Service::shippedDataDir(), QStringLiteral("Classic.ini"));
    fm = std::make_unique<TfmqrInvoice>(nullptr, invoice.kind);
    Service::DesignFile = design;
    fm->setRowSource(&rows);
    auto set = [&](const char* name, const QString& value) {
        fm->setCaption(QLatin1String(name), value);
    };
    const QString date = QStringLiteral("dd.MM.yyyy");
    set("lbDocument", invoice.kind);
    set("lbInvoiceNo", invoice.number);
    set("lbShortName", s.name);
    set("lbCustNo2", invoice.buyer.number);
    set("lbCust", invoice.buyer.name);
    const QStringList address =
        invoice.buyer.address.lines +
        QStringList{invoice.buyer.address.postcode + u' ' + invoice.buyer.address.city};
    set("lbAddressRow1", address.value(0));
    set("lbAddressRow2", address.value(1));
    set("lbAddressRow3", address.value(2));
    set("lbCustVAT2", invoice.buyer.vatNumber);
    set("lbDate2", invoice.issueDate.toString(date));
    set("lbDueDate2", invoice.dueDate.toString(date));
    set("lbYourRef2", invoice.yourReference);
    set("lbOurRef2", invoice.ourReference);
    set("lbTerms2", QString::number(invoice.termsDays));
    set("lbSum2", amount(sums));
    set("lbVAT2", amount(vat));
    set("lbTotal2", totalText);
}
