#include "dbfixture.h"

#include "db/datasetup.h"

#include "service/service.h"
#include "service/settingsfile.h"

#include <QDir>

TEST(DataSetup, CreateWithDemoGivesAWorkingDataDirectory) {
    TempDataDir parent;
    const QString dir = parent.path() + QStringLiteral("/Databases");
    QString error;
    ASSERT_TRUE(db::createDataDir(dir, true, &error)) << error.toStdString();
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/Design.ini")));
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/Standard.bmp")));
    EXPECT_EQ(SettingsFile(dir + QStringLiteral("/MRV.ini"))
                  .readString(QStringLiteral("Company"), QStringLiteral("Name")),
              QStringLiteral("Merovia Demo Trading Ltd"));
    db::Session s;
    for (const db::TableInfo& t : db::programTables())
        if (!t.password.isEmpty())
            s.AddPassword(t.password);
    auto countOf = [&](const QString& sql) {
        db::Query q;
        q.setSession(&s);
        q.setDatabaseName(dir);
        q.SQL() << sql;
        q.Open();
        return q.Fields(0).AsInteger();
    };
    EXPECT_EQ(countOf(QStringLiteral("SELECT COUNT(*) FROM Customers")), 12);
    EXPECT_EQ(countOf(QStringLiteral("SELECT COUNT(*) FROM Customers WHERE \"Credit limit\" > 0")),
              1);
    EXPECT_EQ(countOf(QStringLiteral("SELECT COUNT(*) FROM Products")), 20);
    EXPECT_EQ(countOf(QStringLiteral("SELECT COUNT(*) FROM Products WHERE Hidden = True")), 1);
    EXPECT_EQ(countOf(QStringLiteral("SELECT COUNT(*) FROM VAT WHERE \"VAT %\" IN (0, 12, 25)")),
              3);
    EXPECT_EQ(countOf(QStringLiteral("SELECT COUNT(*) FROM Taxes")), 2);
    EXPECT_EQ(countOf(QStringLiteral("SELECT COUNT(*) FROM FreeText WHERE Text LIKE '{\\rtf1%'")),
              2);
    EXPECT_GT(countOf(QStringLiteral("SELECT COUNT(*) FROM IRow")), 0);
    EXPECT_EQ(
        countOf(QStringLiteral("SELECT COUNT(*) FROM IRow WHERE ID NOT IN (SELECT ID FROM IHead)")),
        0);
    EXPECT_EQ(countOf(QStringLiteral("SELECT COUNT(*) FROM TRow")), 0);

    EXPECT_FALSE(db::createDataDir(dir, false, &error)) << "never over an existing database";
    EXPECT_TRUE(db::prepareDataDir(dir, true, &error)) << "an existing database is left alone";
    EXPECT_EQ(countOf(QStringLiteral("SELECT COUNT(*) FROM Customers")), 12);
}

TEST(DataSetup, FirstStartPreparesAMissingDataDirectoryWithTables) {
    TempDataDir parent;
    const QString dir = parent.path() + QStringLiteral("/fresh");
    Service::setDataDirPreparer(
        [](const QString& d, QString* e) { return db::prepareDataDir(d, false, e); });
    QDir().mkpath(Service::configDir());
    SettingsFile ini(Service::serviceIniPath());
    ini.writeString(QStringLiteral("Service"), QStringLiteral("DataDir"), dir);
    ASSERT_TRUE(ini.updateFile());
    Service::GetGlobals();
    Service::setDataDirPreparer(nullptr);
    EXPECT_EQ(Service::DataDir, QDir::toNativeSeparators(dir));
    db::Table vat;
    vat.setDatabaseName(dir);
    vat.setTableName(QStringLiteral("VAT"));
    vat.Open();
    EXPECT_EQ(vat.RecordCount(), 0);
    QFile::remove(Service::serviceIniPath());
}

TEST(DataSetup, ADemoSettingsFileThatCannotBeWrittenIsReported) {
    TempDataDir parent;
    const QString dir = parent.path() + QStringLiteral("/Databases");
    // A folder where the company settings file belongs: it cannot be replaced by a file.
    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/MRV.ini")));
    QString error;
    EXPECT_FALSE(db::createDataDir(dir, true, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("MRV.ini"))) << error.toStdString();
}
