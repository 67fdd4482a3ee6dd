#include "dbfixture.h"

#include "db/faultvfs.h"

#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int count(DbTest& t, db::Session& s, const QString& dirPath, const QString& table) {
    db::Table x;
    x.setSession(&s);
    x.setDatabaseName(dirPath);
    x.setTableName(table);
    x.Open();
    return x.RecordCount();
    (void)t;
}

} // namespace

TEST_F(DbTest, RolledBackTransactionAcrossSessionsLeavesNothing) {
    db::Session sHead(QStringLiteral("sIHead")), sRow(QStringLiteral("sIRow"));
    sHead.AddPassword(QStringLiteral("GRAND"));
    sRow.AddPassword(QStringLiteral("KQW52TZ"));
    db::Table head, rows;
    head.setSession(&sHead);
    rows.setSession(&sRow);
    for (db::Table* t : {&head, &rows})
        t->setDatabaseName(dir.path());
    head.setTableName(QStringLiteral("IHead"));
    rows.setTableName(QStringLiteral("IRow"));
    head.Open();
    rows.Open();
    rows.setMasterSource(&head, QStringLiteral("ID"));
    {
        db::Transaction t(head.database());
        add(head, {{QStringLiteral("Invoice no"), QStringLiteral("1")}});
        for (int i = 0; i < 3; ++i)
            add(rows, {{QStringLiteral("Item"), QString::number(i)}});
        EXPECT_EQ(rows.RecordCount(), 3);
        // no commit: the guard rolls back
    }
    EXPECT_EQ(head.RecordCount(), 0);
    EXPECT_TRUE(head.IsEmpty()) << "the cursor no longer shows the record";
    sHead.StartTransaction(dir.path());
    add(head, {{QStringLiteral("Invoice no"), QStringLiteral("2")}});
    add(rows, {{QStringLiteral("Item"), QStringLiteral("x")}});
    sRow.Commit(dir.path()); // any session commits the one transaction of the directory
    EXPECT_FALSE(sHead.InTransaction(dir.path()));
    EXPECT_EQ(count(*this, session, dir.path(), QStringLiteral("IRow")), 1);
    EXPECT_ENGINE_ERROR(sHead.Commit(dir.path()), db::InvalidOperation);
}

TEST_F(DbTest, NestedTransactionsUseSavepoints) {
    auto t = open(QStringLiteral("VAT"));
    db::Transaction outer(t->database());
    add(*t, {{QStringLiteral("VAT %"), 1.0}});
    {
        db::Transaction inner(t->database());
        add(*t, {{QStringLiteral("VAT %"), 2.0}});
    }
    EXPECT_EQ(t->RecordCount(), 1);
    outer.commit();
    EXPECT_EQ(t->RecordCount(), 1);
}

TEST_F(DbTest, PostedRecordSurvivesKillingTheProcess) {
    int pipeFd[2];
    ASSERT_EQ(pipe(pipeFd), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // The child posts and reports, then waits to be killed; it never returns to the test.
        close(pipeFd[0]);
        try {
            db::Table t;
            t.setSession(&session);
            t.setDatabaseName(dir.path());
            t.setTableName(QStringLiteral("Customers"));
            t.Open();
            t.Append();
            t.FieldByName(QStringLiteral("Cust. no")).setAsString(QStringLiteral("4711"));
            t.FieldByName(QStringLiteral("Company")).setAsString(QStringLiteral("Survivor Ltd"));
            t.Post();
            (void)!write(pipeFd[1], "posted", 6);
        } catch (...) {
            (void)!write(pipeFd[1], "failed", 6);
        }
        for (;;)
            pause();
    }
    close(pipeFd[1]);
    char buf[7] = {};
    ASSERT_EQ(read(pipeFd[0], buf, 6), 6);
    close(pipeFd[0]);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_STREQ(buf, "posted");
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Cust. no"));
    ASSERT_TRUE(c->FindKey({QStringLiteral("4711")}));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Company")).AsString(), QStringLiteral("Survivor Ltd"));
    EXPECT_EQ(c->database()->integrityCheck(), QStringLiteral("ok"));
}

TEST(DbFiles, GarbageOrForeignFileIsAClearEngineError) {
    TempDataDir dir;
    dir.writeFile(QStringLiteral("MRV.db"), QByteArray(8192, 'x') + "this is not a database");
    db::Table t;
    t.setDatabaseName(dir.path());
    t.setTableName(QStringLiteral("VAT"));
    EXPECT_ENGINE_ERROR(t.Open(), db::NotADatabase);
    db::Query q;
    q.setDatabaseName(dir.path());
    q.SQL() << QStringLiteral("SELECT * FROM VAT");
    EXPECT_ENGINE_ERROR(q.Open(), db::NotADatabase);

    TempDataDir other;
    sqlite3* raw = nullptr;
    sqlite3_open(db::Database::fileName(other.path()).toUtf8().constData(), &raw);
    sqlite3_exec(raw, "CREATE TABLE VAT (x)", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    t.setDatabaseName(other.path());
    EXPECT_ENGINE_ERROR(t.Open(), db::NotADatabase);

    TempDataDir empty;
    empty.writeFile(QStringLiteral("MRV.db"), QByteArray());
    t.setDatabaseName(empty.path());
    EXPECT_ENGINE_ERROR(t.Open(), db::NotADatabase);
}

TEST_F(DbTest, LockHeldByAnotherProgramFailsAfterTheRetries) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db::Database::fileName(dir.path()).toUtf8().constData(), &other),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    session.LockRetryCount = 3;
    session.LockWaitTime = 20;
    auto t = open(QStringLiteral("Taxes")); // reading is not blocked
    t->Append();
    t->FieldByName(QStringLiteral("Description")).setAsString(QStringLiteral("VAT-free"));
    QElapsedTimer timer;
    timer.start();
    EXPECT_ENGINE_ERROR(t->Post(), db::LockFailed);
    EXPECT_GE(timer.elapsed(), 50);
    EXPECT_EQ(t->State(), db::DataSetState::Insert);
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(t->Post()) << "the same record posts once the lock is gone";
}

TEST(DbFaults, FailedWritesInsideADocumentSaveLeaveAWholeDatabase) {
    TempDataDir dir;
    QString error;
    ASSERT_TRUE(db::createDatabase(dir.path(), &error));
    db::Session s;
    s.AddPassword(QStringLiteral("GRAND"));
    s.AddPassword(QStringLiteral("KQW52TZ"));
    db::FaultInjection::enable();
    int committed = 0;
    int failures = 0;
    for (int budget = 0; budget < 200; ++budget) {
        bool ok = false;
        {
            db::Table head, rows;
            for (db::Table* t : {&head, &rows}) {
                t->setSession(&s);
                t->setDatabaseName(dir.path());
            }
            head.setTableName(QStringLiteral("IHead"));
            rows.setTableName(QStringLiteral("IRow"));
            head.Open();
            rows.Open();
            rows.setMasterSource(&head, QStringLiteral("ID"));
            db::FaultInjection::failAfter(budget);
            try {
                db::Transaction t(head.database());
                head.Append();
                head.FieldByName(QStringLiteral("Invoice no")).setAsInteger(budget);
                head.Post();
                for (int i = 0; i < 5; ++i) {
                    rows.Append();
                    rows.FieldByName(QStringLiteral("Description"))
                        .setAsString(QString(40, QLatin1Char('r')));
                    rows.Post();
                }
                t.commit();
                ok = true;
            } catch (const db::EngineError& e) {
                EXPECT_TRUE(e.code() == db::WriteFailed || e.code() == db::InvalidOperation)
                    << e.message().toStdString();
                ++failures;
            }
            db::FaultInjection::disarm();
        } // last user closes the connection
        if (ok)
            ++committed;
        auto db = db::Database::open(dir.path());
        ASSERT_EQ(db->integrityCheck(), QStringLiteral("ok")) << "budget " << budget;
        db::Query q;
        q.setSession(&s);
        q.setDatabaseName(dir.path());
        q.SQL() << QStringLiteral(
            "SELECT (SELECT COUNT(*) FROM IHead) AS H, (SELECT COUNT(*) FROM IRow) AS R");
        q.Open();
        ASSERT_EQ(q.FieldByName(QStringLiteral("H")).AsInteger(), committed) << "budget " << budget;
        ASSERT_EQ(q.FieldByName(QStringLiteral("R")).AsInteger(), committed * 5)
            << "all rows or none";
        if (ok && db::FaultInjection::writeCount() < budget)
            break; // the whole save fit in the budget: every write position was tried
    }
    db::FaultInjection::disable();
    EXPECT_GT(failures, 0);
    EXPECT_GT(committed, 0);
}
