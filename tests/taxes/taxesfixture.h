#pragma once

#include "db/datasetup.h"
#include "db/table.h"

#include "support/testenv.h"
#include "support/uihooks.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

// A data directory with every table; the registers open theirs in the default session.
class TaxesTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(db::createDataDir(dir.path(), false, &error)) << error.toStdString();
    }

    std::unique_ptr<db::Table> open(const QString& name) {
        auto t = std::make_unique<db::Table>();
        t->setDatabaseName(dir.path());
        t->setTableName(name);
        t->Open();
        return t;
    }

    // Appends taxes (description, percent) in this order.
    void addTaxes(const std::vector<std::pair<QString, double>>& taxes) {
        auto t = open(QStringLiteral("Taxes"));
        for (const auto& [description, percent] : taxes) {
            t->Append();
            if (!description.isEmpty())
                t->FieldByName(QStringLiteral("Description")).setAsString(description);
            t->FieldByName(QStringLiteral("Percent")).setAsFloat(percent);
            t->Post();
        }
    }

    // Appends VAT records; an empty text leaves the rate empty.
    void addRates(const QStringList& rates) {
        auto t = open(QStringLiteral("VAT"));
        for (const QString& rate : rates) {
            t->Append();
            if (!rate.isEmpty())
                t->FieldByName(QStringLiteral("VAT %")).setAsString(rate);
            else
                t->FieldByName(QStringLiteral("VAT %")).Clear();
            t->Post();
        }
    }

    // One field of every record, in table order, as stored.
    QStringList stored(const QString& table, const QString& field) {
        auto t = open(table);
        QStringList out;
        for (t->First(); !t->Eof(); t->Next())
            out << t->FieldByName(field).AsString();
        return out;
    }

    TempDataDir dir;
    MessageRecorder messages;
};
