// Two programs on one data directory at the same time, both posting customers and storing
// documents: every record whose post returned is there, whole, and the database is sound.

#include "workload.h"

#include "db/database.h"

#include "support/printers.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList lines(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    out.removeAll(QString());
    return out;
}

QSet<QString> column(const QString& dir, const char* sql) {
    QSet<QString> out;
    auto database = db::Database::open(dir);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(database->handle(), sql, -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW)
        out.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
    sqlite3_finalize(st);
    return out;
}

} // namespace

TEST(TwoInstances, BothPostCustomersAndStoreDocumentsAndNothingIsLost) {
    QTemporaryDir temp;
    const QString dir = temp.path() + QStringLiteral("/data");
    QString error;
    ASSERT_TRUE(workload::prepare(dir, &error)) << error.toStdString();
    constexpr int kEach = 60;
    std::vector<pid_t> children;
    for (const char* tag : {"A", "B"}) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const int failures = workload::postAndStore(
                dir, QLatin1String(tag), kEach, temp.path() + QStringLiteral("/%1.txt").arg(tag));
            _exit(failures > 100 ? 100 : failures);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "posts that failed through every lock retry";
    }

    auto database = db::Database::open(dir);
    EXPECT_EQ(database->integrityCheck(), QStringLiteral("ok"));
    const QSet<QString> customers = column(dir, "SELECT \"Cust. no\" FROM Customers");
    const QSet<QString> heads = column(dir, "SELECT \"Invoice no\" FROM IHead");
    const QSet<QString> partial =
        column(dir, "SELECT h.\"Invoice no\" FROM IHead h "
                    "WHERE (SELECT COUNT(*) FROM IRow r WHERE r.ID = h.ID) <> 5");
    EXPECT_TRUE(partial.isEmpty()) << QStringList(partial.values()).join(u' ').toStdString();
    int logged = 0;
    for (const char* tag : {"A", "B"}) {
        for (const QString& line : lines(temp.path() + QStringLiteral("/%1.txt").arg(tag))) {
            ++logged;
            const QString key = line.mid(2);
            if (line.startsWith(QLatin1String("C ")))
                EXPECT_TRUE(customers.contains(key)) << "customer " << key.toStdString();
            else
                EXPECT_TRUE(heads.contains(key)) << "document " << key.toStdString();
        }
    }
    EXPECT_EQ(logged, 4 * kEach);
    EXPECT_EQ(customers.size(), 2 * kEach + 1);
    EXPECT_EQ(heads.size(), 2 * kEach);
}
