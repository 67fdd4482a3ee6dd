#include "dbfixture.h"

#include "db/faultvfs.h"
#include "db/nocase.h"

#include <QProcess>
#include <QStandardPaths>

#include <sqlite3.h>

// The database file is plain SQLite: the stock shell reads, checks and dumps it, and what the
// shell writes never spoils case-insensitive search, which stays on the indexes.
namespace {

QString s(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct ShellRun {
    int exitCode = -1;
    QString out, err;
};

ShellRun shell(const QString& dir, const QString& command) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {db::Database::fileName(dir), command});
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(p.readAllStandardError()).trimmed()};
}

bool haveShell() {
    return !QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty();
}

QVariant scalar(db::Database& d, const QString& sql) {
    db::Statement st(d, sql);
    return st.step() ? st.value(0) : QVariant();
}

// The statements a connection prepares while the object lives.
class StatementLog {
public:
    explicit StatementLog(sqlite3* h)
        : m_h(h) {
        sqlite3_trace_v2(h, SQLITE_TRACE_STMT, &StatementLog::note, this);
    }
    ~StatementLog() { sqlite3_trace_v2(m_h, 0, nullptr, nullptr); }
    QStringList sql;

private:
    static int note(unsigned, void* self, void* stmt, void*) {
        static_cast<StatementLog*>(self)->sql
            << QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(stmt)));
        return 0;
    }
    sqlite3* m_h;
};

class FoldedKeysTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        auto c = open(QStringLiteral("Customers"));
        const char* rows[][2] = {{"1", "Ärger GmbH"}, {"2", "ärmel AG"}, {"3", "Straße KG"},
                                 {"4", "Ωμέγα"},      {"5", "Яблоко"},   {"6", "Zebra"}};
        for (auto& r : rows)
            add(*c, {{QStringLiteral("Cust. no"), s(r[0])}, {QStringLiteral("Company"), s(r[1])}});
    }
    QString companyAt(db::Table& c) { return c.FieldByName(QStringLiteral("Company")).AsString(); }
};

} // namespace

TEST_F(FoldedKeysTest, TheStockShellReadsChecksAndDumpsTheDataDirectory) {
    if (!haveShell())
        GTEST_SKIP() << "the sqlite3 shell is not installed (scripts/install-deps installs it)";
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Company")); // program still open
    ShellRun r = shell(dir.path(), QStringLiteral("select count(*) from Customers"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("6"));
    r = shell(dir.path(), QStringLiteral("pragma integrity_check"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("ok"));
    r = shell(dir.path(), QStringLiteral(".dump"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(s("Straße KG")));
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("COMMIT;")));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    // Ordering and searching by the index work in the shell too, without our functions.
    r = shell(dir.path(), s("select Company from Customers where \"fold:Company\" >= 'ä' "
                            "order by \"fold:Company\" limit 1"));
    EXPECT_EQ(r.out, s("Ärger GmbH")) << r.err.toStdString();
    // The dump loads into an empty file and gives the same records back.
    TempDataDir copy;
    QProcess load;
    load.setStandardInputFile(QString()); // closed
    load.start(QStringLiteral("sqlite3"), {db::Database::fileName(copy.path())});
    load.waitForStarted();
    load.write(shell(dir.path(), QStringLiteral(".dump")).out.toUtf8());
    load.closeWriteChannel();
    load.waitForFinished(30000);
    EXPECT_EQ(load.exitCode(), 0) << load.readAllStandardError().toStdString();
    EXPECT_EQ(shell(copy.path(), QStringLiteral("select count(*) from Customers")).out,
              QStringLiteral("6"));
}

TEST_F(FoldedKeysTest, SearchIgnoresCaseForEveryLetterAndUsesTheIndex) {
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    EXPECT_EQ(column(*c, QStringLiteral("Company")),
              (QStringList{s("Straße KG"), s("Zebra"), s("Ärger GmbH"), s("ärmel AG"), s("Ωμέγα"),
                           s("Яблоко")}))
        << "ordered by folded code points";
    StatementLog log(c->database()->handle());
    const int ci = db::LocateCaseInsensitive;
    const int partial = db::LocateCaseInsensitive | db::LocatePartialKey;
    ASSERT_TRUE(c->Locate(QStringLiteral("Company"), s("ÄR"), partial));
    EXPECT_EQ(companyAt(*c), s("Ärger GmbH"));
    ASSERT_TRUE(c->Locate(QStringLiteral("Company"), s("ÄRM"), partial));
    EXPECT_EQ(companyAt(*c), s("ärmel AG"));
    ASSERT_TRUE(c->Locate(QStringLiteral("Company"), s("STRAẞE kg"), ci)) << "capital sharp s";
    EXPECT_EQ(companyAt(*c), s("Straße KG"));
    ASSERT_TRUE(c->Locate(QStringLiteral("Company"), s("ΩΜΈΓΑ"), ci));
    EXPECT_EQ(companyAt(*c), s("Ωμέγα"));
    ASSERT_TRUE(c->Locate(QStringLiteral("Company"), s("яблОКО"), ci));
    EXPECT_EQ(companyAt(*c), s("Яблоко"));
    ASSERT_TRUE(c->Locate(QStringLiteral("Company"), s("ωμ"), partial));
    EXPECT_EQ(companyAt(*c), s("Ωμέγα"));
    EXPECT_FALSE(c->Locate(QStringLiteral("Company"), s("ÄRGER GMBH"), db::LocateExact))
        << "an exact search still minds the case";
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("Ärger GmbH"), db::LocateExact));
    EXPECT_FALSE(c->Locate(QStringLiteral("Company"), s("Äx"), partial));
    // Every search above went through the index on the folded column.
    int planned = 0;
    for (const QString& sql : std::as_const(log.sql)) {
        if (!sql.startsWith(QLatin1String("SELECT")) || !sql.contains(QLatin1String("fold:")))
            continue;
        db::Statement plan(*c->database(), QLatin1String("EXPLAIN QUERY PLAN ") + sql);
        QStringList details;
        while (plan.step())
            details << plan.value(3).toString();
        const QString all = details.join(QLatin1String("; "));
        EXPECT_TRUE(all.contains(QLatin1String("USING INDEX Customers:Company")))
            << all.toStdString() << " for " << sql.toStdString();
        EXPECT_FALSE(all.contains(QLatin1String("TEMP B-TREE"))) << all.toStdString();
        ++planned;
    }
    EXPECT_GE(planned, 4);

    // Walking back and forth across equal folded keys, and the unique key ignoring case.
    c->setIndexName(QStringLiteral("Cust. no"));
    ASSERT_TRUE(c->FindKey({QStringLiteral("4")}));
    c->setIndexName(QStringLiteral("Company"));
    c->Prior();
    EXPECT_EQ(companyAt(*c), s("ärmel AG"));
    c->Next();
    c->Next();
    EXPECT_EQ(companyAt(*c), s("Яблоко"));
    auto other = open(QStringLiteral("Customers"));
    other->Append();
    other->FieldByName(QStringLiteral("Cust. no")).setAsString(QStringLiteral("x1"));
    other->Post();
    other->Append();
    other->FieldByName(QStringLiteral("Cust. no")).setAsString(QStringLiteral("X1"));
    try {
        other->Post();
        ADD_FAILURE() << "X1 and x1 are the same customer number";
    } catch (const db::EngineError& e) {
        EXPECT_EQ(e.code(), db::KeyViolation);
        EXPECT_TRUE(e.message().contains(QLatin1String("\"Cust. no\"")))
            << e.message().toStdString();
    }
}

TEST_F(FoldedKeysTest, EditsKeepTheFoldAndQueriesNeverShowIt) {
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    ASSERT_TRUE(c->Locate(QStringLiteral("Company"), QStringLiteral("zebra"), 1));
    c->Edit();
    c->FieldByName(QStringLiteral("Company")).setAsString(s("Ökobau"));
    c->Post();
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("ÖKO"), 3));
    EXPECT_FALSE(c->Locate(QStringLiteral("Company"), s("zebra"), 1));

    auto all = query({QStringLiteral("SELECT * FROM Customers")});
    all->Open();
    EXPECT_EQ(all->FieldCount(), static_cast<int>(c->tableInfo()->fields.size()));
    EXPECT_EQ(all->FindField(QStringLiteral("fold:Company")), nullptr);
    auto joined = query({QStringLiteral("SELECT c.*, h.Total FROM Customers c LEFT JOIN IHead h "
                                        "ON h.\"Customer no\" = c.\"Cust. no\"")});
    joined->Open();
    EXPECT_EQ(joined->FieldCount(), static_cast<int>(c->tableInfo()->fields.size()) + 1);

    // Writes through SQL fold in the same statement's transaction.
    auto upd =
        query({QStringLiteral("UPDATE Customers SET Company = :C WHERE \"Cust. no\" = '6'")});
    upd->ParamByName(QStringLiteral("C")).setAsString(s("Élan SA"));
    EXPECT_EQ(upd->ExecSQL(), 1);
    auto ins = query({QStringLiteral("INSERT INTO Customers (\"Cust. no\", Company) VALUES "
                                     "('7', 'Ñandú SL')")});
    EXPECT_EQ(ins->ExecSQL(), 1);
    c->Refresh();
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("élan"), 3));
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("ñANDÚ sl"), 1));
    EXPECT_EQ(scalar(*c->database(), QStringLiteral("SELECT COUNT(*) FROM mrv_refold")).toInt(), 0);
    EXPECT_EQ(scalar(*c->database(), QStringLiteral("SELECT COUNT(*) FROM Customers WHERE "
                                                    "\"fold:Company\" IS NOT mrv_fold(Company)"))
                  .toInt(),
              0);
}

TEST_F(FoldedKeysTest, WhatAnotherProgramWritesIsFoldedAgainOnOpen) {
    if (!haveShell())
        GTEST_SKIP() << "the sqlite3 shell is not installed";
    ShellRun r = shell(
        dir.path(), s("UPDATE Customers SET Company = 'Ñoño SA' WHERE \"Cust. no\" = '6';"
                      "UPDATE Customers SET Company = 'zebra' WHERE \"Cust. no\" = '6' AND 0;"
                      "INSERT INTO Customers (\"Cust. no\", Company) VALUES ('8', 'Öl AG');"
                      "UPDATE Customers SET Company = upper(Company) WHERE \"Cust. no\" = '3';"));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(shell(dir.path(), QStringLiteral("select count(*) from mrv_refold")).out,
              QStringLiteral("2"))
        << "ASCII-only case change of row 3 needs no new fold";
    // A later change by the program itself is folded as it is written (connection opened now).
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    EXPECT_EQ(scalar(*c->database(), QStringLiteral("SELECT COUNT(*) FROM mrv_refold")).toInt(), 0);
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("ñOÑO"), 3));
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("öl ag"), 1));
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("straße"), 3));
    EXPECT_EQ(companyAt(*c), s("STRAßE KG"));
    c.reset();

    // A tool that lost the triggers (a table rebuilt by hand) leaves nothing noted: the whole
    // table is compared on the next open.
    r = shell(dir.path(), s("DROP TRIGGER \"Customers:refold updated\";"
                            "UPDATE Customers SET Company = 'Ärmel 2' WHERE \"Cust. no\" = '2';"));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    c = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("ärmel 2"), 1));
    EXPECT_EQ(shell(dir.path(), QStringLiteral("select count(*) from sqlite_schema where name = "
                                               "'Customers:refold updated'"))
                  .out,
              QStringLiteral("1"));
    EXPECT_EQ(c->database()->integrityCheck(), QStringLiteral("ok"));
}

namespace {

// A data directory as version 1 of the program left it: Customers before the electronic
// invoice fields, indexed under the collation of our own, and no other table.
void writeVersion1(const QString& dir) {
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open(db::Database::fileName(dir).toUtf8().constData(), &h), SQLITE_OK);
    db::registerNoCase(h);
    const char* sql =
        "PRAGMA journal_mode=WAL;"
        "CREATE TABLE mrv_tables (name TEXT PRIMARY KEY COLLATE NOCASE, salt BLOB, hash BLOB, "
        "primary_index TEXT);"
        "CREATE TABLE \"Customers\" (\"Cust. no\" VARCHAR(25) NOT NULL, \"Company\" VARCHAR(50), "
        "\"Reference\" VARCHAR(50), \"City\" VARCHAR(40), \"Credit limit\" CURRENCY INTEGER, "
        "\"E-invoice\" BOOLEAN INTEGER NOT NULL DEFAULT 0, \"Mark\" BOOLEAN INTEGER NOT NULL "
        "DEFAULT 0);"
        "CREATE UNIQUE INDEX \"Customers:Cust. no\" ON \"Customers\" (\"Cust. no\" COLLATE "
        "MRVNOCASE);"
        "CREATE INDEX \"Customers:Company\" ON \"Customers\" (\"Company\" COLLATE MRVNOCASE);"
        "CREATE INDEX \"Customers:Reference\" ON \"Customers\" (\"Reference\" COLLATE MRVNOCASE);"
        "INSERT INTO mrv_tables VALUES ('Customers', NULL, NULL, NULL);"
        "INSERT INTO Customers (\"Cust. no\", Company, City) VALUES ('K1', 'Ärger GmbH', 'Ulm'), "
        "('k2', 'ärmel AG', 'Graz'), ('K3', 'Ωμέγα', NULL), ('K4', NULL, 'Wien');"
        "PRAGMA application_id=1297241649; PRAGMA user_version=1;";
    char* msg = nullptr;
    EXPECT_EQ(sqlite3_exec(h, sql, nullptr, nullptr, &msg), SQLITE_OK) << (msg ? msg : "");
    sqlite3_free(msg);
    sqlite3_close(h);
}

} // namespace

TEST(FoldedKeysUpgrade, Version1FileIsUpgradedInOneTransactionOnOpen) {
    TempDataDir dir;
    writeVersion1(dir.path());
    db::Session session(QStringLiteral("sUpgrade"));
    for (const db::TableInfo& t : db::programTables())
        if (!t.password.isEmpty())
            session.AddPassword(t.password);
    auto openTable = [&](const char* name, const char* index) {
        auto t = std::make_unique<db::Table>();
        t->setSession(&session);
        t->setDatabaseName(dir.path());
        t->setTableName(QLatin1String(name));
        t->setIndexName(QLatin1String(index));
        t->Open();
        return t;
    };

    // An upgrade that cannot be written leaves the file as it was.
    db::FaultInjection::enable();
    db::FaultInjection::failAfter(0);
    EXPECT_ENGINE_ERROR(openTable("Customers", ""), db::CannotOpen);
    db::FaultInjection::disable();
    {
        sqlite3* h = nullptr;
        sqlite3_open(db::Database::fileName(dir.path()).toUtf8().constData(), &h);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h,
                           "SELECT (SELECT user_version FROM pragma_user_version), "
                           "(SELECT COUNT(*) FROM sqlite_schema)",
                           -1, &st, nullptr);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_int(st, 0), 1);
        EXPECT_EQ(sqlite3_column_int(st, 1), 6) << "two tables, three indexes, one primary key";
        sqlite3_finalize(st);
        sqlite3_close(h);
    }

    {
        auto c = openTable("Customers", "Company");
        QStringList companies;
        for (c->First(); !c->Eof(); c->Next())
            companies << c->FieldByName(QStringLiteral("Company")).AsString();
        EXPECT_EQ(companies, (QStringList{QString(), s("Ärger GmbH"), s("ärmel AG"), s("Ωμέγα")}));
        EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("ÄRM"), 3));
        EXPECT_EQ(c->FieldByName(QStringLiteral("City")).AsString(), QStringLiteral("Graz"));
        c->Edit();
        c->FieldByName(QStringLiteral("Country code")).setAsString(QStringLiteral("AT"));
        c->FieldByName(QStringLiteral("Company")).setAsString(s("Ärmel AG"));
        EXPECT_TRUE(c->Post()) << "the fields added on open are there";
        c->setIndexName(QStringLiteral("Cust. no"));
        EXPECT_TRUE(c->FindKey({QStringLiteral("K2")}));
        auto taxes = openTable("Taxes", "Description"); // a table the file lacked
        taxes->Append();
        taxes->FieldByName(QStringLiteral("Description")).setAsString(s("Ökosteuer"));
        taxes->Post();
        EXPECT_TRUE(taxes->Locate(QStringLiteral("Description"), s("ÖKO"), 3));
        auto products = openTable("Products", "Code");
        EXPECT_TRUE(products->tableInfo()->hasPassword()) << "new tables get their passwords";
        EXPECT_EQ(c->database()->integrityCheck(), QStringLiteral("ok"));
    }
    if (!haveShell())
        return;
    EXPECT_EQ(shell(dir.path(), QStringLiteral("pragma integrity_check")).out,
              QStringLiteral("ok"));
    EXPECT_EQ(shell(dir.path(), QStringLiteral("pragma user_version")).out,
              QString::number(db::kSchemaVersion));
    EXPECT_EQ(shell(dir.path(), QStringLiteral("select count(*) from sqlite_schema where sql "
                                               "like '%MRVNOCASE%'"))
                  .out,
              QStringLiteral("0"));
}
