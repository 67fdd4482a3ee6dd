#include "trowinvoice.h"

#include "db/database.h"
#include "db/datasetup.h"
#include "report/report.h"
#include "report/units.h"
#include "service/currency.h"
#include "service/service.h"

#include <gtest/gtest.h>

TRowInvoice::TRowInvoice(const QString& documentKind)
    : kind(documentKind) {
    QString error;
    if (!db::createDataDir(dir.path(), false, &error))
        ADD_FAILURE() << "data directory: " << error.toStdString();
    rows.setSession(&session);
    rows.setDatabaseName(dir.path());
    rows.setTableName(QStringLiteral("TRow"));
    rows.Open();
    head = {{"lbDocument", documentKind},
            {"lbInvoiceNo", "2026-0042"},
            {"lbShortName", "NORTHWIND"},
            {"lbCustNo2", "1007"},
            {"lbCust", "Acme Office Supplies"},
            {"lbAddressRow1", "4 Market Lane"},
            {"lbAddressRow2", "Bath"},
            {"lbAddressRow3", "BA1 1AA"},
            {"lbCustVAT2", "4123456789"},
            {"lbDate2", "24/12/2026"},
            {"lbDueDate2", "23/01/2027"},
            {"lbYourRef2", "Jane Smith"},
            {"lbOurRef2", "John Jones"},
            {"lbTerms2", "30"},
            {"lbSum2", "1,181.40"},
            {"lbVAT2", "236.28"},
            {"lbTotal2", "1,417.68"}};
}

void TRowInvoice::add(const Row& row) {
    rows.Append();
    auto set = [&](const char* field, const QString& text) {
        if (!text.isEmpty())
            rows.FieldByName(QLatin1String(field)).setAsString(text);
    };
    set("Item", row.item);
    set("Code", row.code);
    set("Description", row.description);
    set("Unit", row.unit);
    rows.FieldByName(QStringLiteral("Qty")).setAsFloat(row.qty);
    rows.FieldByName(QStringLiteral("Price")).setAsCurrency(Currency::fromDouble(row.price));
    rows.FieldByName(QStringLiteral("Discount")).setAsFloat(row.discount);
    rows.FieldByName(QStringLiteral("VAT %")).setAsFloat(row.vat);
    const double sum = row.qty * row.price * (1 - row.discount / 100);
    rows.FieldByName(QStringLiteral("Sum")).setAsCurrency(Currency::fromDouble(sum));
    rows.FieldByName(QStringLiteral("VAT"))
        .setAsCurrency(Currency::fromDouble(sum * row.vat / 100));
    rows.FieldByName(QStringLiteral("LongDesc")).setAsBoolean(row.longDesc);
    set("LDesc", row.ldesc);
    rows.Post();
}

void TRowInvoice::add(const QString& item, const QString& code, const QString& description,
                      double qty, const QString& unit, double price, double discount, double vat,
                      bool longDesc, const QString& ldesc) {
    Row row;
    row.item = item;
    row.code = code;
    row.description = description;
    row.qty = qty;
    row.unit = unit;
    row.price = price;
    row.discount = discount;
    row.vat = vat;
    row.longDesc = longDesc;
    row.ldesc = ldesc;
    add(row);
}

void TRowInvoice::addNumbered(int count, int first) {
    db::Transaction transaction(dir.path());
    for (int i = first; i < first + count; ++i) {
        Row row;
        row.item = QString::number(i);
        row.code = QStringLiteral("C%1").arg(i, 5, 10, QLatin1Char('0'));
        row.description = QStringLiteral("Row %1 oak shelf").arg(i, 4, 10, QLatin1Char('0'));
        row.qty = 1 + i % 7;
        row.price = 10 + i % 13;
        add(row);
    }
    transaction.commit();
}

TfmqrInvoice& TRowInvoice::form() {
    if (!m_form) {
        m_form = std::make_unique<TfmqrInvoice>(nullptr, kind);
        m_form->setRows(&rows);
        for (auto it = head.cbegin(); it != head.cend(); ++it)
            EXPECT_TRUE(m_form->setCaption(it.key(), it.value())) << it.key().toStdString();
    }
    return *m_form;
}

void setTestCompany() {
    Service::CompanyName = QStringLiteral("Northwind Trading Ltd");
    Service::CompanyShortName = QStringLiteral("NORTHWIND");
    Service::CompanyAddress = QStringLiteral("12 Harbour Street");
    Service::CompanyCity = QStringLiteral("Bristol");
    Service::CompanyZip = QStringLiteral("BS1 4QA");
    Service::CompanyPhone = QStringLiteral("0117 496 0000");
    Service::CompanyFax = QStringLiteral("0117 496 0001");
    Service::CompanyEmail = QStringLiteral("accounts@northwind.example");
    Service::VATnumber = QStringLiteral("GB 123 4567 89");
    Service::CompanyBank = QStringLiteral("Harbour Bank plc\nSort code 12-34-56\nAccount 12345678");
    Service::VAT = true;
    Service::Disc = true;
    Service::VATcap = QStringLiteral("VAT");
    Service::Decimals = 2;
    Service::TopMargin = 20;
    Service::BottomMargin = 15;
}

QString shippedDesign(const QString& base) {
    return Service::filePath(Service::shippedDataDir(), base + QStringLiteral(".ini"));
}
