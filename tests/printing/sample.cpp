#include "sample.h"

#include "printing/invoicelayout.h"
#include "service/service.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#ifndef MEROVIA_GOLDEN_DIR
#error "MEROVIA_GOLDEN_DIR must name tests/printing/golden"
#endif

void setSampleCompany() {
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
}

SampleInvoice::SampleInvoice(const QString& kind, int count)
    : rows({"Item", "Code", "Description", "Qty", "Unit", "Price", "Discount", "VAT %", "Sum",
            "LongDesc", "LDesc"}) {
    static const char* const descriptions[] = {
        "Oak desk, 160 x 80 cm", "Office chair with arm rests and a high back, black leather",
        "Delivery and assembly", "Desk lamp"};
    static const char* const codes[] = {"D-160", "CH-BLACK-LEATHER", "SERV", "L-20"};
    static const char* const qty[] = {"2", "4", "1", "6"};
    static const char* const price[] = {"245.00", "129.50", "60.00", "18.90"};
    static const char* const sum[] = {"490.00", "518.00", "60.00", "113.40"};
    for (int i = 0; i < count; ++i) {
        const int k = i % 4;
        rows.append({QString::number(i + 1), QLatin1String(codes[k]),
                     QLatin1String(descriptions[k]), QLatin1String(qty[k]),
                     k == 2 ? QStringLiteral("job") : QStringLiteral("pcs"),
                     QLatin1String(price[k]), QStringLiteral("0"), QStringLiteral("20"),
                     QLatin1String(sum[k]), false, QString()});
    }
    fm = std::make_unique<TfmqrInvoice>(nullptr, kind);
    fm->setRowSource(&rows);
    auto set = [&](const char* name, const QString& text) {
        fm->setCaption(QLatin1String(name), text);
    };
    set("lbDocument", kind);
    set("lbInvoiceNo", QStringLiteral("2026-0042"));
    set("lbShortName", Service::CompanyShortName);
    set("lbCustNo2", QStringLiteral("1007"));
    set("lbCust", QStringLiteral("Acme Office Supplies"));
    set("lbAddressRow1", QStringLiteral("4 Market Lane"));
    set("lbAddressRow2", QStringLiteral("Bath"));
    set("lbAddressRow3", QStringLiteral("BA1 1AA"));
    set("lbDate2", QStringLiteral("24/12/2026"));
    set("lbDueDate2", QStringLiteral("23/01/2027"));
    set("lbYourRef2", QStringLiteral("Jane Smith"));
    set("lbOurRef2", QStringLiteral("John Jones"));
    set("lbTerms2", QStringLiteral("30"));
    set("lbSum2", QStringLiteral("1,181.40"));
    set("lbVAT2", QStringLiteral("236.28"));
    set("lbTotal2", QStringLiteral("1,417.68"));
}

QString compareGolden(const QString& name, const QString& text) {
    const QString path = QStringLiteral(MEROVIA_GOLDEN_DIR "/") + name + QStringLiteral(".txt");
    if (!qEnvironmentVariableIsEmpty("MEROVIA_UPDATE_GOLDEN")) {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot write ") + path;
        out.write(text.toUtf8());
        return QString();
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("missing golden file ") + path +
               QStringLiteral(" (run with MEROVIA_UPDATE_GOLDEN=1 and review it)");
    const QStringList expected = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'));
    const QStringList actual = text.split(QLatin1Char('\n'));
    QStringList diff;
    for (int i = 0; i < std::max(expected.size(), actual.size()) && diff.size() < 12; ++i) {
        const QString e = expected.value(i), a = actual.value(i);
        if (e != a)
            diff << QStringLiteral("line %1\n  expected: %2\n  actual:   %3").arg(i + 1).arg(e, a);
    }
    return diff.join(QLatin1Char('\n'));
}
