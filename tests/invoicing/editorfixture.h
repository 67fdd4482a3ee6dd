#pragma once

#include "db/datasetup.h"
#include "db/table.h"
#include "invoicing/companions.h"
#include "invoicing/rowsgrid.h"
#include "invoicing/tfminvoice.h"
#include "service/service.h"
#include "service/settingsfile.h"

#include "support/testenv.h"
#include "support/uihooks.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// Runs a tool and gives what it printed on both outputs.
inline QString run(const QString& program, const QStringList& args, int* code = nullptr) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(300000);
    if (code)
        *code = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

inline Currency money(const char* text) {
    return *Currency::parse(QString::fromLatin1(text), QLocale::c());
}

// A data directory with every table, the service switches of a VAT-using company with the
// customer and product add-ons, and the invoice editor with its companions on demand.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(db::createDataDir(dir.path(), false, &error)) << error.toStdString();
        Service::Country = QStringLiteral("SE");
        Service::VATcap = QStringLiteral("VAT");
        Service::Decimals = 2;
        Service::VAT = true;
        Service::Disc = true;
        Service::VATinPrice = false;
        Service::Pdf = true;
        Service::CompanyName = QStringLiteral("Test Company");
        Service::Modules = {QStringLiteral("CustModule"), QStringLiteral("ProdModule"),
                            QStringLiteral("InvModule")};
    }
    void TearDown() override { windows.reset(); }

    // Writes keys of section "Invoice" of MRVInv.ini.
    void setting(const QString& key, const QString& value) {
        SettingsFile ini(dir.file(QStringLiteral("MRVInv.ini")));
        ini.writeString(QStringLiteral("Invoice"), key, value);
        ASSERT_TRUE(ini.updateFile());
    }
    QString settingValue(const QString& key) {
        return SettingsFile(dir.file(QStringLiteral("MRVInv.ini")))
            .readString(QStringLiteral("Invoice"), key);
    }

    std::unique_ptr<db::Table> open(const QString& name, const QString& password = QString()) {
        auto t = std::make_unique<db::Table>();
        if (!password.isEmpty()) {
            sessions.push_back(std::make_unique<db::Session>());
            sessions.back()->AddPassword(password);
            t->setSession(sessions.back().get());
        }
        t->setDatabaseName(dir.path());
        t->setTableName(name);
        t->Open();
        return t;
    }
    std::unique_ptr<db::Table> customers() {
        return open(QStringLiteral("Customers"), QStringLiteral("PLOV81"));
    }
    std::unique_ptr<db::Table> products() {
        return open(QStringLiteral("Products"), QString::fromUtf16(u"PX\u00C452K"));
    }
    std::unique_ptr<db::Table> heads() {
        return open(QStringLiteral("IHead"), QStringLiteral("GRAND"));
    }
    std::unique_ptr<db::Table> storedRows() {
        return open(QStringLiteral("IRow"), QStringLiteral("KQW52TZ"));
    }

    void addCustomer(const QString& number, const QString& company, const char* limit = nullptr,
                     const QString& city = QStringLiteral("Lund")) {
        auto t = customers();
        t->Append();
        t->FieldByName(QStringLiteral("Cust. no")).setAsString(number);
        t->FieldByName(QStringLiteral("Company")).setAsString(company);
        t->FieldByName(QStringLiteral("Reference")).setAsString(QStringLiteral("Ref ") + company);
        t->FieldByName(QStringLiteral("Address line 1")).setAsString(QStringLiteral("Street 1"));
        t->FieldByName(QStringLiteral("Zip")).setAsString(QStringLiteral("22100"));
        t->FieldByName(QStringLiteral("City")).setAsString(city);
        t->FieldByName(QStringLiteral("VAT No.")).setAsString(QStringLiteral("VAT-") + number);
        if (limit)
            t->FieldByName(QStringLiteral("Credit limit")).setAsCurrency(money(limit));
        t->Post();
    }
    void addProduct(const QString& code, const QString& description, const char* price,
                    bool hidden = false) {
        auto t = products();
        t->Append();
        t->FieldByName(QStringLiteral("Code")).setAsString(code);
        t->FieldByName(QStringLiteral("Description")).setAsString(description);
        t->FieldByName(QStringLiteral("Unit")).setAsString(QStringLiteral("pcs"));
        t->FieldByName(QStringLiteral("Price")).setAsCurrency(money(price));
        t->FieldByName(QStringLiteral("Hidden")).setAsBoolean(hidden);
        t->Post();
    }
    void addTax(const QString& description, double percent) {
        auto t = open(QStringLiteral("Taxes"));
        t->Append();
        t->FieldByName(QStringLiteral("Description")).setAsString(description);
        t->FieldByName(QStringLiteral("Percent")).setAsFloat(percent);
        t->Post();
    }
    void addVatRates(const QStringList& rates) {
        auto t = open(QStringLiteral("VAT"));
        for (const QString& r : rates) {
            t->Append();
            t->FieldByName(QStringLiteral("VAT %")).setAsString(r);
            t->Post();
        }
    }

    // Creates the editor and its companions (as "Write invoice" does) without showing them.
    TfmInvoice& editor() {
        if (!windows)
            windows = std::make_unique<InvoicingWindows>(nullptr, EditorOwner::MainWindow);
        return *windows->editor;
    }

    // Appends a working row with the given values (empty texts leave fields empty).
    void addRow(const QString& code, const QString& description, double qty, const char* price,
                double vat = 0, double discount = 0, const QString& unit = QString()) {
        db::Table& t = *editor().dbTRow;
        t.Append();
        t.FieldByName(QStringLiteral("Code")).setAsString(code);
        t.FieldByName(QStringLiteral("Description")).setAsString(description);
        if (qty != 0)
            t.FieldByName(QStringLiteral("Qty")).setAsFloat(qty);
        if (!unit.isEmpty())
            t.FieldByName(QStringLiteral("Unit")).setAsString(unit);
        if (price)
            t.FieldByName(QStringLiteral("Price")).setAsCurrency(money(price));
        if (vat != 0)
            t.FieldByName(QStringLiteral("VAT %")).setAsFloat(vat);
        if (discount != 0)
            t.FieldByName(QStringLiteral("Discount")).setAsFloat(discount);
        t.Post();
    }

    // One field of every working row, in order, as displayed text.
    QStringList workColumn(const QString& field) {
        db::Table t;
        t.setDatabaseName(dir.path());
        t.setTableName(QStringLiteral("TRow"));
        t.Open();
        QStringList out;
        for (t.First(); !t.Eof(); t.Next())
            out << t.FieldByName(field).AsString();
        return out;
    }

    TempDataDir dir;
    MessageRecorder messages;
    std::vector<std::unique_ptr<db::Session>> sessions;
    std::unique_ptr<InvoicingWindows> windows;
};
