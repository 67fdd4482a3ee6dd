#pragma once

#include "customers/custrules.h"
#include "db/datasetup.h"
#include "db/field.h"
#include "db/session.h"
#include "db/table.h"
#include "report/preview.h"
#include "service/service.h"

#include "support/testenv.h"
#include "support/uihooks.h"

#include <QDate>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

// Every text the print preview shows, page after page.
inline QStringList previewTexts(QWidget* window) {
    QStringList out;
    auto* preview = static_cast<report::PreviewWindow*>(window);
    for (const report::PreparedPage& page : preview->document().pages)
        for (const report::PlacedElement& e : page.elements)
            if (e.visible && !e.text.isEmpty())
                out << e.text;
    return out;
}

// A data directory with every table, the company's country set, and every message answered.
class CustomersTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(db::createDataDir(dir.path(), false, &error)) << error.toStdString();
        Service::Country = QStringLiteral("SE");
        Service::CompanyCountry = QStringLiteral("SE");
        Service::CompanyName = QStringLiteral("Acme AB");
        Service::Decimals = 2;
        session.AddPassword(QStringLiteral("PLOV81"));
        session.AddPassword(QStringLiteral("GRAND"));
        session.AddPassword(QStringLiteral("KQW52TZ"));
        session.AddPassword(QString::fromUtf16(u"PX\u00C452K"));
    }

    std::unique_ptr<db::Table> open(const QString& name, const QString& index = QString()) {
        auto t = std::make_unique<db::Table>();
        t->setSession(&session);
        t->setDatabaseName(dir.path());
        t->setTableName(name);
        if (!index.isEmpty())
            t->setIndexName(index);
        t->Open();
        return t;
    }

    struct Customer {
        Customer(const QString& n, const QString& c, const QString& r, const QString& place = {})
            : number(n)
            , company(c)
            , reference(r)
            , city(place) {}
        QString number, company, reference, city;
    };
    void addCustomers(const std::vector<Customer>& customers) {
        auto t = open(QStringLiteral("Customers"));
        for (const Customer& c : customers) {
            t->Append();
            t->FieldByName(QStringLiteral("Cust. no")).setAsString(c.number);
            t->FieldByName(QStringLiteral("Company")).setAsString(c.company);
            t->FieldByName(QStringLiteral("Reference")).setAsString(c.reference);
            t->FieldByName(QStringLiteral("City")).setAsString(c.city);
            t->Post();
        }
    }

    // One field of every customer, in the order of an index.
    QStringList stored(const QString& field, const QString& index = QStringLiteral("Cust. no"),
                       const QString& table = QStringLiteral("Customers")) {
        auto t = open(table, index);
        QStringList out;
        for (t->First(); !t->Eof(); t->Next())
            out << t->FieldByName(field).AsString();
        return out;
    }

    // A stored document head; returns its ID.
    struct Head {
        Head(const QString& k, const QString& c, const QString& n, const QString& t, bool p = true,
             const QString& r = {}, const QDate& pd = {}, const QDate& a = {},
             const QDate& d = QDate(2026, 1, 31))
            : kind(k)
            , custNo(c)
            , number(n)
            , total(t)
            , printed(p)
            , rest(r)
            , paid(pd)
            , archived(a)
            , due(d) {}
        QString kind, custNo, number, total;
        bool printed;
        QString rest;   // empty: no rest
        QDate paid;     // invalid: none
        QDate archived; // invalid: none
        QDate due;
    };
    qint64 addHead(const Head& h) {
        auto t = open(QStringLiteral("IHead"));
        t->Append();
        t->FieldByName(QStringLiteral("Document")).setAsString(h.kind);
        t->FieldByName(QStringLiteral("Customer no")).setAsString(h.custNo);
        t->FieldByName(QStringLiteral("Invoice no")).setAsString(h.number);
        t->FieldByName(QStringLiteral("Invoice date")).setAsDate(QDate(2026, 1, 1));
        t->FieldByName(QStringLiteral("Due")).setAsDate(h.due);
        t->FieldByName(QStringLiteral("Total")).setAsString(h.total);
        t->FieldByName(QStringLiteral("Printed")).setAsBoolean(h.printed);
        if (!h.rest.isEmpty())
            t->FieldByName(QStringLiteral("Rest")).setAsString(h.rest);
        if (h.paid.isValid())
            t->FieldByName(QStringLiteral("Paid")).setAsDate(h.paid);
        if (h.archived.isValid())
            t->FieldByName(QStringLiteral("Archived")).setAsDate(h.archived);
        t->Post();
        return t->FieldByName(QStringLiteral("ID")).AsInteger();
    }
    void addRow(qint64 id, const QString& code, const QString& description) {
        auto t = open(QStringLiteral("IRow"));
        t->Append();
        t->FieldByName(QStringLiteral("ID")).setAsInteger(id);
        t->FieldByName(QStringLiteral("Code")).setAsString(code);
        t->FieldByName(QStringLiteral("Description")).setAsString(description);
        t->Post();
    }

    void writeInvoiceIni(const QByteArray& content) {
        dir.writeFile(QStringLiteral("MRVInv.ini"), content);
    }

    TempDataDir dir;
    MessageRecorder messages;
    db::Session session{QStringLiteral("sTest")};
};
