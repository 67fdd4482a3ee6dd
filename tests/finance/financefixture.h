#pragma once

#include "../invoicing/editorfixture.h"

#include "db/query.h"
#include "finance/tfmfinance.h"
#include "service/dates.h"

#include <QDate>

// A data directory with the editor's set-up and printed heads written straight into IHead.
class FinanceTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        Service::Decimals = 2;
    }

    struct Head {
        QString number;
        const char* total = "1000";
        int delay = 0;
        const char* rest = "0"; // nullptr leaves it empty
        bool paid = true;
        QString kind = QStringLiteral("Invoice");
        const char* interestCharged = nullptr;
        QString customer = QStringLiteral("Acme");
    };
    // Stores a printed head, due 30 days ago and paid delay days after; returns its ID.
    qint64 addHead(const Head& h) {
        auto t = heads();
        t->Append();
        auto text = [&t](const char* field, const QString& value) {
            t->FieldByName(QString::fromLatin1(field)).setAsString(value);
        };
        const QDate due = QDate::currentDate().addDays(-30);
        text("Document", h.kind);
        text("Invoice no", h.number);
        text("Customer no", QStringLiteral("17"));
        text("Customer", h.customer);
        text("Address line 1", QStringLiteral("Street 1"));
        text("Address line 2", QStringLiteral("22100 Lund"));
        text("Address line 3", QStringLiteral("Sweden"));
        text("Your reference", QStringLiteral("Ms Berg"));
        text("Our reference", QStringLiteral("Mr Holm"));
        t->FieldByName(QStringLiteral("Invoice date")).setAsDate(due.addDays(-30));
        t->FieldByName(QStringLiteral("Due")).setAsDate(due);
        t->FieldByName(QStringLiteral("Total")).setAsCurrency(money(h.total));
        t->FieldByName(QStringLiteral("Printed")).setAsBoolean(true);
        if (h.rest)
            t->FieldByName(QStringLiteral("Rest")).setAsCurrency(money(h.rest));
        if (h.paid) {
            t->FieldByName(QStringLiteral("Paid")).setAsDate(due.addDays(h.delay));
            t->FieldByName(QStringLiteral("Delay")).setAsInteger(h.delay);
        }
        if (h.interestCharged)
            t->FieldByName(QStringLiteral("Interest charged"))
                .setAsCurrency(money(h.interestCharged));
        t->Post();
        return t->FieldByName(QStringLiteral("ID")).AsInteger();
    }

    // A field of the head with this ID.
    db::Field& headField(db::Table& t, qint64 id, const char* field) {
        EXPECT_TRUE(t.Locate(QStringLiteral("ID"), id));
        return t.FieldByName(QString::fromLatin1(field));
    }
    bool interestIsEmpty(qint64 id) {
        auto t = heads();
        return headField(*t, id, "Interest charged").IsNull();
    }
    Currency interestOf(qint64 id) {
        auto t = heads();
        return headField(*t, id, "Interest charged").AsCurrency();
    }

    // The invoice numbers the finance window lists, in its order.
    static QStringList listed(TfmFinance& w) {
        QStringList out;
        db::Query& q = *w.qyInv;
        for (q.First(); !q.Eof(); q.Next())
            out << q.FieldByName(QStringLiteral("Invoice no")).AsString();
        q.First();
        return out;
    }
};
