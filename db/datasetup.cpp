#include "db/datasetup.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/schema.h"
#include "db/session.h"
#include "db/table.h"

#include "service/service.h"
#include "service/settingsfile.h"
#include "service/textroutines.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace db {

namespace {

struct DemoCustomer {
    const char* no;
    const char* company;
    const char* reference;
    const char* address;
    const char* zip;
    const char* city;
    const char* phone;
    const char* email;
    qint64 creditLimit; // whole units
};

const DemoCustomer kCustomers[] = {
    {"1", "Abbott & Sons Ltd", "Mary Abbott", "12 High Street", "OX1 2AB", "Oxford", "01865 123456",
     "mary@abbott.example", 0},
    {"2", "Åsa Bergström AB", "Åsa Bergström", "Storgatan 5", "111 22", "Stockholm", "+46 8 123 45",
     "asa@bergstrom.example", 0},
    {"3", "Baker Street Bakery", "John Watson", "221 Baker Street", "NW1 6XE", "London",
     "020 7946 0001", "", 1000},
    {"4", "Cedar Joinery", "Tom Cedar", "3 Mill Lane", "BA1 1AA", "Bath", "01225 400100",
     "tom@cedar.example", 0},
    {"5", "Delta Electrics", "Priya Shah", "Unit 7, Riverside Park", "LS1 4AP", "Leeds",
     "0113 496 0000", "priya@delta.example", 0},
    {"6", "Evergreen Gardens", "Lucy Green", "The Old Nursery", "CB2 1TN", "Cambridge",
     "01223 760000", "", 0},
    {"7", "Fenwick Motors", "Alan Fenwick", "88 Station Road", "NE1 7RU", "Newcastle",
     "0191 498 0000", "alan@fenwick.example", 0},
    {"8", "Grönwall Design", "Erik Grönwall", "Kungsgatan 12", "411 19", "Göteborg",
     "+46 31 10 20 30", "erik@gronwall.example", 0},
    {"9", "Harbour Café", "Sofia Ramos", "1 Quay Side", "BS1 4RN", "Bristol", "0117 496 0123", "",
     0},
    {"10", "Ivy Printing", "Ivy Clarke", "45 Print Row", "M1 1AD", "Manchester", "0161 496 0456",
     "ivy@ivyprint.example", 0},
    {"11", "Jones Plumbing", "Dai Jones", "9 Castle Street", "CF10 1BH", "Cardiff", "029 2018 0000",
     "", 0},
    {"12", "Kestrel Consulting", "Helen Kestrel", "2 Market Square", "YO1 8RS", "York",
     "01904 550000", "helen@kestrel.example", 0},
};

struct DemoProduct {
    const char* code;
    const char* description;
    const char* unit;
    const char* price;
    bool hidden;
};

const DemoProduct kProducts[] = {
    {"A100", "Consulting, hour", "h", "85.00", false},
    {"A110", "Travel time, hour", "h", "45.00", false},
    {"B200", "Oak board 20 mm", "m", "12.50", false},
    {"B210", "Pine board 20 mm", "m", "6.90", false},
    {"B220", "Birch plywood 12 mm", "sheet", "38.00", false},
    {"C300", "Wood screws 4x40, box", "box", "7.95", false},
    {"C310", "Wood glue 0.5 l", "pcs", "9.40", false},
    {"C320", "Sandpaper P120, pack", "pack", "5.25", false},
    {"D400", "Cable 3x1.5 mm²", "m", "1.85", false},
    {"D410", "Socket outlet, double", "pcs", "14.90", false},
    {"D420", "LED bulb E27 9 W", "pcs", "3.60", false},
    {"E500", "Garden soil 50 l", "bag", "8.50", false},
    {"E510", "Lawn seed 1 kg", "pcs", "11.00", false},
    {"F600", "Printing A4 colour", "pcs", "0.35", false},
    {"F610", "Printing A3 colour", "pcs", "0.70", false},
    {"G700", "Coffee beans 1 kg", "pcs", "16.50", false},
    {"G710", "Milk 1 l", "pcs", "1.10", false},
    {"H800", "Service agreement, month", "month", "49.00", false},
    {"H810", "Call-out fee", "pcs", "60.00", false},
    {"Z999", "Discontinued model", "pcs", "1.00", true},
};

const char* const kStandardText =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs18 Thank you for your order! "
    "\\b Payment within 30 days\\b0 .\\par Please state the invoice number with your "
    "payment.\\par}";
const char* const kReminderText =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs18 \\b Reminder:\\b0  interest of 8 % per "
    "year is charged on late payment.\\par}";

// False with the reason when a settings file could not be written.
bool writeSettings(const QString& dir, QString* error) {
    SettingsFile company(Service::filePath(dir, QLatin1String(Service::kCompanyIni)));
    const QString c = QStringLiteral("Company");
    company.writeString(c, QStringLiteral("Name"), QStringLiteral("Merovia Demo Trading Ltd"));
    company.writeString(c, QStringLiteral("Shortname"), QStringLiteral("MEROVIA DEMO"));
    company.writeString(c, QStringLiteral("Address"), QStringLiteral("1 Demo Road"));
    company.writeString(c, QStringLiteral("City"), QStringLiteral("Reading"));
    company.writeString(c, QStringLiteral("Zip"), QStringLiteral("RG1 1AA"));
    company.writeString(c, QStringLiteral("Phone"), QStringLiteral("0118 496 0000"));
    company.writeString(c, QStringLiteral("Fax"), QStringLiteral("0118 496 0001"));
    company.writeString(c, QStringLiteral("Email"), QStringLiteral("office@merovia-demo.example"));
    company.writeString(
        c, QStringLiteral("Bank"),
        StrStringToEscaped(QStringLiteral("Demo Bank plc\nSort code 00-00-00, account 12345678")));
    company.writeString(c, QStringLiteral("VATnumber"), QStringLiteral("GB 123 4567 89"));
    if (!company.updateFile(error))
        return false;

    SettingsFile inv(Service::filePath(dir, QLatin1String(Service::kInvoiceIni)));
    const QString s = QStringLiteral("Invoice");
    auto ensure = [&](const char* key, const QString& value) {
        if (!inv.valueExists(s, QLatin1String(key)))
            inv.writeString(s, QLatin1String(key), value);
    };
    ensure("VAT", QStringLiteral("1"));
    ensure("Disc", QStringLiteral("1"));
    ensure("pdf", QStringLiteral("1"));
    ensure("FreeText", QStringLiteral("Standard"));
    ensure("DesignName", QStringLiteral("Classic"));
    ensure("DesignFile", Service::filePath(dir, QStringLiteral("Classic.ini")));
    ensure("Terms", QStringLiteral("30"));
    ensure("Copies", QStringLiteral("1"));
    ensure("Autonum", QStringLiteral("2"));
    ensure("LastTotalSeqNo", QStringLiteral("1003"));
    ensure("AutoCust", QStringLiteral("1"));
    ensure("LastCustNo", QStringLiteral("12"));
    ensure("Interestrate", QStringLiteral("8"));
    ensure("InvoiceCharge", QStringLiteral("25"));
    ensure("Threshold", QStringLiteral("0"));
    return inv.updateFile(error);
}

struct DemoRow {
    const char* code;
    double qty;
};

void addDocument(Table& head, Table& rows, Table& products, const char* kind, const char* number,
                 const DemoCustomer& cust, const QDate& date, int terms, bool printed,
                 const std::vector<DemoRow>& lines, const QDate& paid, int delay) {
    Currency total;
    head.Append();
    head.FieldByName(QStringLiteral("Document")).setAsString(QLatin1String(kind));
    head.FieldByName(QStringLiteral("Invoice date")).setAsDate(date);
    head.FieldByName(QStringLiteral("Due")).setAsDate(date.addDays(terms));
    head.FieldByName(QStringLiteral("Customer no")).setAsString(QLatin1String(cust.no));
    head.FieldByName(QStringLiteral("Customer")).setAsString(QString::fromUtf8(cust.company));
    head.FieldByName(QStringLiteral("Address line 1")).setAsString(QString::fromUtf8(cust.address));
    head.FieldByName(QStringLiteral("Address line 2"))
        .setAsString(QString::fromUtf8(cust.zip) + QLatin1Char(' ') + QString::fromUtf8(cust.city));
    head.FieldByName(QStringLiteral("Your reference"))
        .setAsString(QString::fromUtf8(cust.reference));
    head.FieldByName(QStringLiteral("Our reference")).setAsString(QStringLiteral("Sam Demo"));
    head.Post();
    for (const DemoRow& line : lines) {
        if (!products.Locate(QStringLiteral("Code"), QLatin1String(line.code)))
            continue;
        const Currency price = products.FieldByName(QStringLiteral("Price")).AsCurrency();
        const Currency sum = price * static_cast<long double>(line.qty);
        rows.Append(); // the master link gives the row its head's ID
        rows.FieldByName(QStringLiteral("Item"))
            .setAsString(QString::number(rows.RecordCount() + 1));
        rows.FieldByName(QStringLiteral("Code")).setAsString(QLatin1String(line.code));
        rows.FieldByName(QStringLiteral("Description"))
            .setAsString(products.FieldByName(QStringLiteral("Description")).AsString());
        rows.FieldByName(QStringLiteral("Qty")).setAsFloat(line.qty);
        rows.FieldByName(QStringLiteral("Unit"))
            .setAsString(products.FieldByName(QStringLiteral("Unit")).AsString());
        rows.FieldByName(QStringLiteral("Price")).setAsCurrency(price);
        rows.FieldByName(QStringLiteral("VAT %")).setAsFloat(25);
        rows.FieldByName(QStringLiteral("Sum")).setAsCurrency(sum);
        rows.Post();
        total += sum + sum * 0.25L;
    }
    head.Edit();
    head.FieldByName(QStringLiteral("Total")).setAsCurrency(total);
    if (printed) {
        head.FieldByName(QStringLiteral("Printed")).setAsBoolean(true);
        head.FieldByName(QStringLiteral("Invoice no")).setAsString(QLatin1String(number));
        if (QLatin1String(kind) == QLatin1String("Invoice"))
            head.FieldByName(QStringLiteral("Rest"))
                .setAsCurrency(paid.isValid() ? Currency() : total);
    }
    if (paid.isValid()) {
        head.FieldByName(QStringLiteral("Paid")).setAsDate(paid);
        head.FieldByName(QStringLiteral("Archived")).setAsDate(paid);
        head.FieldByName(QStringLiteral("Delay")).setAsInteger(delay);
    }
    head.Post();
}

void fillTables(const QString& dir) {
    Session session(QStringLiteral("sDemo"));
    for (const TableInfo& t : programTables())
        if (!t.password.isEmpty())
            session.AddPassword(t.password);
    auto open = [&](Table& t, const char* name, const char* index = "") {
        t.setSession(&session);
        t.setDatabaseName(dir);
        t.setTableName(QLatin1String(name));
        t.setIndexName(QLatin1String(index));
        t.Open();
    };
    Transaction transaction(dir);

    Table customers, products, vat, taxes, freeText, head, rows;
    open(customers, "Customers", "Cust. no");
    for (const DemoCustomer& c : kCustomers) {
        customers.Append();
        customers.FieldByName(QStringLiteral("Cust. no")).setAsString(QLatin1String(c.no));
        customers.FieldByName(QStringLiteral("Company")).setAsString(QString::fromUtf8(c.company));
        customers.FieldByName(QStringLiteral("Reference"))
            .setAsString(QString::fromUtf8(c.reference));
        customers.FieldByName(QStringLiteral("Address line 1"))
            .setAsString(QString::fromUtf8(c.address));
        customers.FieldByName(QStringLiteral("Zip")).setAsString(QString::fromUtf8(c.zip));
        customers.FieldByName(QStringLiteral("City")).setAsString(QString::fromUtf8(c.city));
        customers.FieldByName(QStringLiteral("Phone")).setAsString(QString::fromUtf8(c.phone));
        customers.FieldByName(QStringLiteral("E-mail")).setAsString(QString::fromUtf8(c.email));
        if (c.creditLimit)
            customers.FieldByName(QStringLiteral("Credit limit"))
                .setAsCurrency(Currency::fromInt(c.creditLimit));
        customers.FieldByName(QStringLiteral("Registered"))
            .setAsDate(QDate::currentDate().addMonths(-6));
        customers.Post();
    }

    open(products, "Products", "Code");
    for (const DemoProduct& p : kProducts) {
        products.Append();
        products.FieldByName(QStringLiteral("Code")).setAsString(QLatin1String(p.code));
        products.FieldByName(QStringLiteral("Description"))
            .setAsString(QString::fromUtf8(p.description));
        products.FieldByName(QStringLiteral("Unit")).setAsString(QLatin1String(p.unit));
        products.FieldByName(QStringLiteral("Price"))
            .setAsCurrency(*Currency::parse(QLatin1String(p.price), QLocale::c()));
        products.FieldByName(QStringLiteral("Hidden")).setAsBoolean(p.hidden);
        products.FieldByName(QStringLiteral("Stock")).setAsFloat(100);
        products.Post();
    }

    open(vat, "VAT");
    for (double rate : {0.0, 12.0, 25.0}) {
        vat.Append();
        vat.FieldByName(QStringLiteral("VAT %")).setAsFloat(rate);
        vat.Post();
    }

    open(taxes, "Taxes");
    const std::pair<const char*, double> kTaxes[] = {{"Environmental fee", 2.5},
                                                     {"Freight surcharge", 5.0}};
    for (const auto& [description, percent] : kTaxes) {
        taxes.Append();
        taxes.FieldByName(QStringLiteral("Description")).setAsString(QLatin1String(description));
        taxes.FieldByName(QStringLiteral("Percent")).setAsFloat(percent);
        taxes.Post();
    }

    open(freeText, "FreeText");
    const std::pair<const char*, const char*> kTexts[] = {{"Standard", kStandardText},
                                                          {"Late payment", kReminderText}};
    for (const auto& [name, text] : kTexts) {
        freeText.Append();
        freeText.FieldByName(QStringLiteral("Name")).setAsString(QLatin1String(name));
        freeText.FieldByName(QStringLiteral("Text")).setAsString(QLatin1String(text));
        freeText.Post();
    }

    open(head, "IHead", "Invoice no");
    open(rows, "IRow", "ID");
    rows.setMasterSource(&head, QStringLiteral("ID"));
    const QDate today = QDate::currentDate();
    addDocument(head, rows, products, "Invoice", "1001", kCustomers[2], today.addDays(-40), 30,
                true, {{"A100", 6}, {"H810", 1}}, QDate(), 0);
    addDocument(head, rows, products, "Invoice", "1002", kCustomers[0], today.addDays(-90), 30,
                true, {{"B200", 40}, {"C300", 3}, {"C310", 2}}, today.addDays(-45), 15);
    addDocument(head, rows, products, "Invoice", "1003", kCustomers[4], today.addDays(-10), 30,
                true, {{"D400", 120}, {"D410", 8}, {"D420", 20}}, QDate(), 0);
    addDocument(head, rows, products, "Quotation", "", kCustomers[7], today.addDays(-3), 0, false,
                {{"F600", 500}, {"F610", 100}}, QDate(), 0);
    transaction.commit();
}

} // namespace

bool fillDemo(const QString& dir, QString* error) {
    try {
        fillTables(dir);
        if (!writeSettings(dir, error))
            return false;
    } catch (const EngineError& e) {
        if (error)
            *error = e.message();
        return false;
    }
    return true;
}

bool createDataDir(const QString& dir, bool demo, QString* error) {
    if (QFileInfo::exists(Database::fileName(dir))) {
        if (error)
            *error =
                QStringLiteral("%1 already holds a database").arg(QDir::toNativeSeparators(dir));
        return false;
    }
    if (!Service::copyShippedDataFiles(dir, error))
        return false;
    if (!createDatabase(dir, error))
        return false;
    return !demo || fillDemo(dir, error);
}

bool prepareDataDir(const QString& dir, bool demo, QString* error) {
    if (QFileInfo::exists(Database::fileName(dir)))
        return true;
    return createDataDir(dir, demo, error);
}

} // namespace db
