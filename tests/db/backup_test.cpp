#include "dbfixture.h"

#include "db/backup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class BackupTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        auto c = open(QStringLiteral("Customers"));
        add(*c, {{QStringLiteral("Cust. no"), QStringLiteral("1")},
                 {QStringLiteral("Company"), QString::fromUtf8("Ärger GmbH")}});
        dir.writeFile(QStringLiteral("MRVInv.ini"), "[Invoice]\nPdf=1\n");
    }

    QStringList customersIn(const QString& dataDir) {
        db::Table t;
        t.setSession(&session);
        t.setDatabaseName(dataDir);
        t.setTableName(QStringLiteral("Customers"));
        t.setIndexName(QStringLiteral("Company"));
        t.Open();
        return column(t, QStringLiteral("Company"));
    }

    static QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir target;
};

} // namespace

TEST_F(BackupTest, CopyIsConsistentWhileTheProgramWritesAndCarriesTheSettingsFiles) {
    auto c = open(QStringLiteral("Customers"));
    db::Transaction open(c->database()); // a document being saved right now
    add(*c, {{QStringLiteral("Cust. no"), QStringLiteral("2")},
             {QStringLiteral("Company"), QStringLiteral("Uncommitted AB")}});
    const QString folder = target.filePath(QStringLiteral("Backup"));
    QString error;
    ASSERT_TRUE(db::DataBackup::backUp(dir.path(), folder, &error)) << error.toStdString();
    open.commit();
    c.reset();
    EXPECT_TRUE(db::DataBackup::holdsBackup(folder));
    EXPECT_TRUE(db::DataBackup::checkCopy(folder, &error)) << error.toStdString();
    EXPECT_EQ(customersIn(folder), QStringList{QString::fromUtf8("Ärger GmbH")})
        << "only what was committed when the copy was made";
    EXPECT_EQ(readFile(QDir(folder).filePath(QStringLiteral("MRVInv.ini"))), "[Invoice]\nPdf=1\n");
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath(QStringLiteral("MRV.db.partial"))));
    // A second backup into the same folder replaces the first.
    ASSERT_TRUE(db::DataBackup::backUp(dir.path(), folder, &error)) << error.toStdString();
    EXPECT_EQ(customersIn(folder).size(), 2);
    // The data directory itself is no place for its backup.
    EXPECT_FALSE(db::DataBackup::backUp(dir.path(), dir.path(), &error));
}

TEST_F(BackupTest, RestoreReplacesTheDataAndKeepsWhatItReplaced) {
    const QString folder = target.filePath(QStringLiteral("Backup"));
    QString error;
    ASSERT_TRUE(db::DataBackup::backUp(dir.path(), folder, &error)) << error.toStdString();
    {
        auto c = open(QStringLiteral("Customers"));
        add(*c, {{QStringLiteral("Cust. no"), QStringLiteral("3")},
                 {QStringLiteral("Company"), QStringLiteral("Later Ltd")}});
        dir.writeFile(QStringLiteral("MRVInv.ini"), "[Invoice]\nPdf=0\n");
        QString aside;
        EXPECT_FALSE(db::DataBackup::restore(dir.path(), folder, &aside, &error))
            << "not while the program has the database open";
        EXPECT_FALSE(error.isEmpty());
    }
    QString aside;
    ASSERT_TRUE(db::DataBackup::restore(dir.path(), folder, &aside, &error)) << error.toStdString();
    EXPECT_EQ(customersIn(dir.path()), QStringList{QString::fromUtf8("Ärger GmbH")});
    EXPECT_EQ(dir.readFile(QStringLiteral("MRVInv.ini")), "[Invoice]\nPdf=1\n");
    ASSERT_TRUE(aside.startsWith(dir.path())) << aside.toStdString();
    EXPECT_TRUE(QFileInfo(aside).fileName().startsWith(QLatin1String("Replaced ")));
    EXPECT_EQ(customersIn(aside).size(), 2) << "the replaced data is kept";
    EXPECT_EQ(readFile(QDir(aside).filePath(QStringLiteral("MRVInv.ini"))), "[Invoice]\nPdf=0\n");
    auto c = open(QStringLiteral("Customers"));
    EXPECT_EQ(c->database()->integrityCheck(), QStringLiteral("ok"));
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), QString::fromUtf8("ärger"), 3));
}

TEST_F(BackupTest, DamagedOrForeignCopyIsRefusedBeforeAnythingIsReplaced) {
    const QString folder = target.filePath(QStringLiteral("Backup"));
    QString error;
    ASSERT_TRUE(db::DataBackup::backUp(dir.path(), folder, &error)) << error.toStdString();
    const QString copy = QDir(folder).filePath(QStringLiteral("MRV.db"));
    {
        QFile f(copy);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const qint64 size = f.size();
        ASSERT_GT(size, 8192);
        // Spoil pages beyond the header: the file still opens, but does not check.
        f.seek(size / 2);
        f.write(QByteArray(int(size / 2), '\x5a'));
    }
    dir.writeFile(QStringLiteral("MRVInv.ini"), "[Invoice]\nPdf=0\n");
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QString aside;
    EXPECT_FALSE(db::DataBackup::checkCopy(folder, &error));
    EXPECT_FALSE(db::DataBackup::restore(dir.path(), folder, &aside, &error));
    EXPECT_TRUE(error.contains(QLatin1String("cannot be used"))) << error.toStdString();
    EXPECT_TRUE(aside.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before)
        << "no folder kept aside, nothing replaced";
    EXPECT_EQ(dir.readFile(QStringLiteral("MRVInv.ini")), "[Invoice]\nPdf=0\n");
    EXPECT_EQ(customersIn(dir.path()).size(), 1);

    QTemporaryDir foreign;
    QFile(QDir(foreign.path()).filePath(QStringLiteral("MRV.db"))).open(QIODevice::WriteOnly);
    EXPECT_FALSE(db::DataBackup::checkCopy(foreign.path(), &error));
    EXPECT_FALSE(db::DataBackup::checkCopy(target.filePath(QStringLiteral("none")), &error));
    EXPECT_TRUE(error.contains(QLatin1String("no backup"))) << error.toStdString();
}
