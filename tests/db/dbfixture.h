#pragma once

#include "support/testenv.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/query.h"
#include "db/schema.h"
#include "db/session.h"
#include "db/table.h"

#include <gtest/gtest.h>

#include <memory>

// A fresh data directory with every table of the program, and a session that holds every
// table password.
class DbTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(db::createDatabase(dir.path(), &error)) << error.toStdString();
        for (const db::TableInfo& t : db::programTables())
            if (!t.password.isEmpty())
                session.AddPassword(t.password);
    }

    std::unique_ptr<db::Table> open(const QString& table, const QString& index = QString()) {
        auto t = std::make_unique<db::Table>();
        t->setSession(&session);
        t->setDatabaseName(dir.path());
        t->setTableName(table);
        t->setIndexName(index);
        t->Open();
        return t;
    }

    std::unique_ptr<db::Query> query(const QStringList& lines) {
        auto q = std::make_unique<db::Query>();
        q->setSession(&session);
        q->setDatabaseName(dir.path());
        q->SQL() = lines;
        return q;
    }

    // Appends one record with the given field texts.
    static void add(db::Table& t, const std::vector<std::pair<QString, QVariant>>& values) {
        t.Append();
        for (const auto& [name, value] : values)
            t.FieldByName(name).setValue(value);
        t.Post();
    }

    static QStringList column(db::DataSet& t, const QString& field) {
        QStringList out;
        for (t.First(); !t.Eof(); t.Next())
            out << t.FieldByName(field).AsString();
        return out;
    }

    TempDataDir dir;
    db::Session session{QStringLiteral("sTest")};
};

#define EXPECT_ENGINE_ERROR(statement, expectedCode)                                               \
    do {                                                                                           \
        try {                                                                                      \
            statement;                                                                             \
            ADD_FAILURE() << "no EngineError from " #statement;                                    \
        } catch (const db::EngineError& e) {                                                       \
            EXPECT_EQ(e.code(), expectedCode) << e.message().toStdString();                        \
            EXPECT_FALSE(e.message().isEmpty());                                                   \
        }                                                                                          \
    } while (0)
