#include "app/startcheck.h"
#include "db/database.h"
#include "db/datasetup.h"
#include "db/field.h"
#include "db/session.h"
#include "db/table.h"
#include "service/service.h"
#include "service/settingsfile.h"

#include "support/fulldisk.h"
#include "support/printers.h"
#include "support/testenv.h"
#include "support/uihooks.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The program's own start: the service settings name the data directory, GetGlobals prepares
// what is missing, then the checks speak through the message hook.
bool startOn(const QString& dataDir, MessageRecorder& messages,
             std::unique_ptr<startup::InstanceLock>* lock = nullptr) {
    QDir().mkpath(QFileInfo(Service::serviceIniPath()).path());
    SettingsFile ini(Service::serviceIniPath());
    ini.writeString(QStringLiteral("Service"), QStringLiteral("DataDir"), dataDir);
    EXPECT_TRUE(ini.updateFile());
    Service::setDataDirPreparer(
        [](const QString& dir, QString* error) { return db::prepareDataDir(dir, false, error); });
    Service::GetGlobals();
    EXPECT_EQ(Service::DataDir, QDir::toNativeSeparators(dataDir));
    std::unique_ptr<startup::InstanceLock> own;
    const bool started = startup::startChecks(Service::DataDir, lock ? lock : &own);
    (void)messages;
    return started;
}

QString prepared(const QTemporaryDir& base, int customers = 0) {
    const QString dir = base.path() + QStringLiteral("/data");
    QString error;
    EXPECT_TRUE(db::createDataDir(dir, false, &error)) << error.toStdString();
    if (customers > 0) {
        db::Session s;
        s.AddPassword(QStringLiteral("PLOV81"));
        db::Table t;
        t.setSession(&s);
        t.setDatabaseName(dir);
        t.setTableName(QStringLiteral("Customers"));
        t.Open();
        for (int i = 0; i < customers; ++i) {
            t.Append();
            t.FieldByName(QStringLiteral("Cust. no")).setAsString(QString::number(i));
            t.FieldByName(QStringLiteral("Company")).setAsString(QString(200, u'c'));
            t.Post();
        }
    }
    return dir;
}

} // namespace

TEST(StartChecks, AHealthyDataDirectoryStartsQuietlyAndIsLocked) {
    QTemporaryDir base;
    const QString dir = prepared(base);
    MessageRecorder messages;
    std::unique_ptr<startup::InstanceLock> lock;
    EXPECT_TRUE(startOn(dir, messages, &lock));
    EXPECT_TRUE(messages.empty()) << messages.texts().join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(lock);
    EXPECT_EQ(lock->state(), startup::InstanceLock::Held);
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/MRV.lck")));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/MRV.write-check")));
    Service::resetGlobals();
}

TEST(StartChecks, DamagedOrMisplacedDataEndsTheStartWithAMessageAndStaysUntouched) {
    QTemporaryDir base;
    const QString fileDir = base.path() + QStringLiteral("/is-a-file");
    QFile f(fileDir);
    f.open(QIODevice::WriteOnly);
    f.write("a user's file that happens to have the name of the data directory");
    f.close();

    QTemporaryDir garbageBase;
    const QString garbage = prepared(garbageBase);
    {
        QFile db(db::Database::fileName(garbage));
        db.open(QIODevice::WriteOnly | QIODevice::Truncate);
        db.write(QByteArray(8192, 'x') + "not a database");
    }
    QTemporaryDir cutBase;
    const QString cut = prepared(cutBase, 300);
    const QString cutFile = db::Database::fileName(cut);
    ASSERT_GT(QFileInfo(cutFile).size(), 40000);
    ASSERT_FALSE(QFileInfo(cutFile + QStringLiteral("-wal")).size() > 0)
        << "the last connection has checkpointed";
    ASSERT_TRUE(QFile::resize(cutFile, QFileInfo(cutFile).size() / 2));

    QTemporaryDir emptyBase;
    const QString empty = prepared(emptyBase);
    QFile::resize(db::Database::fileName(empty), 0);

    const struct {
        QString dir;
        QString file;
        const char* says;
    } cases[] = {
        {fileDir, fileDir, "is a file, not a folder"},
        {garbage, db::Database::fileName(garbage), "is not a database"},
        {cut, cutFile, "is damaged: the file is shorter than the data it holds"},
        {empty, db::Database::fileName(empty), "is not a Merovia database."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const QByteArray before = fileBytes(c.file);
        MessageRecorder messages;
        EXPECT_FALSE(startOn(c.dir, messages));
        ASSERT_EQ(messages.texts().size(), 1);
        const QString text = messages.texts().first();
        EXPECT_TRUE(text.contains(QLatin1String(c.says))) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String("has left it as it is"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String("DataDir"))) << "says how to choose another";
        EXPECT_EQ(fileBytes(c.file), before) << "the old file keeps every byte";
        EXPECT_FALSE(QFile::exists(c.dir + QStringLiteral("/MRV.lck")));
    }
    EXPECT_TRUE(QFileInfo(fileDir).isFile());
    Service::resetGlobals();
}

TEST(StartChecks, AFullDiskWarnsThatNothingCanBeSaved) {
    FullDisk disk;
    ASSERT_TRUE(disk.isValid()) << disk.reason().toStdString();
    const QString dir = disk.path() + QStringLiteral("/data");
    QString error;
    ASSERT_TRUE(db::createDataDir(dir, false, &error)) << error.toStdString();
    const QByteArray before = fileBytes(db::Database::fileName(dir));
    disk.fill();
    const startup::DataDirVerdict verdict = startup::checkDataDir(dir);
    disk.release();
    // Where even the database's write-ahead log cannot be made, the program cannot start; it
    // says why either way.
    EXPECT_NE(verdict.kind, startup::DataDirVerdict::Usable) << disk.kind().toStdString();
    EXPECT_TRUE(verdict.message.startsWith(QStringLiteral("Nothing can be saved in the data "
                                                          "directory")))
        << verdict.message.toStdString();
    EXPECT_EQ(fileBytes(db::Database::fileName(dir)), before);
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/MRV.write-check")));
}

TEST(StartChecks, AReadOnlyDataDirectoryStartsWithAWarning) {
    QTemporaryDir base;
    const QString dir = base.path() + QStringLiteral("/data");
    const bool root = geteuid() == 0;
    // The superuser writes into any folder whatever its mode; a file system mounted read-only
    // stops even it.
    if (root) {
        ASSERT_TRUE(QDir().mkpath(dir));
        if (mount("tmpfs", dir.toLocal8Bit().constData(), "tmpfs", 0, "size=8m") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    QString error;
    ASSERT_TRUE(db::createDataDir(dir, false, &error)) << error.toStdString();
    const QByteArray before = fileBytes(db::Database::fileName(dir));
    if (root)
        ASSERT_EQ(
            mount("tmpfs", dir.toLocal8Bit().constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr),
            0);
    else
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    MessageRecorder messages;
    std::unique_ptr<startup::InstanceLock> lock;
    const bool started = startOn(dir, messages, &lock);
    if (root)
        umount(dir.toLocal8Bit().constData());
    else
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);
    ASSERT_EQ(messages.texts().size(), 1);
    const QString text = messages.texts().first();
    if (started) {
        EXPECT_TRUE(text.startsWith(QStringLiteral("Nothing can be saved"))) << text.toStdString();
        EXPECT_EQ(lock->state(), startup::InstanceLock::NotPossible);
    } else {
        // The database cannot even be read where its write-ahead log cannot be made.
        EXPECT_TRUE(text.contains(QLatin1String("has left it as it is"))) << text.toStdString();
    }
    if (!root) {
        EXPECT_EQ(fileBytes(db::Database::fileName(dir)), before);
    }
    Service::resetGlobals();
}

TEST(StartChecks, ASecondCopyOnTheSameDataDirectoryIsToldAndStops) {
    QTemporaryDir base;
    const QString dir = prepared(base);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        // The first copy: holds the lock until it is killed.
        close(ready[0]);
        startup::InstanceLock lock(dir);
        (void)!write(ready[1], lock.state() == startup::InstanceLock::Held ? "1" : "0", 1);
        for (;;)
            pause();
    }
    close(ready[1]);
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    close(ready[0]);
    ASSERT_EQ(held, '1');

    MessageRecorder messages;
    EXPECT_FALSE(startOn(dir, messages));
    ASSERT_EQ(messages.texts().size(), 1);
    const QString text = messages.texts().first();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Another copy of Merovia has the data directory")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("process %1").arg(other))) << text.toStdString();

    // Once the first copy is gone (even killed, its lock file left behind) the program starts.
    kill(other, SIGKILL);
    waitpid(other, nullptr, 0);
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/MRV.lck")));
    MessageRecorder after;
    std::unique_ptr<startup::InstanceLock> lock;
    EXPECT_TRUE(startOn(dir, after, &lock));
    EXPECT_TRUE(after.empty()) << after.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lock->state(), startup::InstanceLock::Held);
    Service::resetGlobals();
}
