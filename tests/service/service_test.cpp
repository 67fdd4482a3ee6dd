#include "service/service.h"

#include "service/settingsfile.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Points the user's configuration and data folders at fresh temporary folders.
class FreshHome {
public:
    FreshHome() {
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        m_oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", (m_dir.path() + QStringLiteral("/config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", (m_dir.path() + QStringLiteral("/data")).toLocal8Bit());
        Service::resetGlobals();
    }
    ~FreshHome() {
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
        qputenv("XDG_DATA_HOME", m_oldData);
        Service::resetGlobals();
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldConfig, m_oldData;
};

} // namespace

TEST(ServiceGlobals, FirstStartWritesTheServiceFileAndPreparesTheDataDirectory) {
    FreshHome home;
    Service::GetGlobals();
    const QString ini = home.path() + QStringLiteral("/config/Merovia/MRVService.ini");
    ASSERT_TRUE(QFileInfo::exists(ini));
    EXPECT_EQ(Service::DataDir, home.path() + QStringLiteral("/data/Merovia/Databases"));
    EXPECT_TRUE(QFileInfo(Service::DataDir).isDir());
    EXPECT_TRUE(QFileInfo::exists(Service::DataDir + QStringLiteral("/Design.ini")));
    EXPECT_TRUE(QFileInfo::exists(Service::DataDir + QStringLiteral("/Standard.bmp")));
    EXPECT_EQ(Service::Decimals, 2);
    EXPECT_EQ(Service::TopMargin, 10);
    EXPECT_EQ(Service::BottomMargin, 10);
    EXPECT_EQ(Service::LeftMargin, 20);
    EXPECT_EQ(Service::RightMargin, 10);
    EXPECT_EQ(Service::Country.size(), 2);
    EXPECT_FALSE(Service::DataDir.endsWith(QLatin1Char('/')));
    EXPECT_FALSE(Service::HelpDir.endsWith(QLatin1Char('/')));
    EXPECT_FALSE(Service::ApplicationDir.isEmpty());
    SettingsFile written(ini);
    EXPECT_EQ(written.readString(QStringLiteral("Service"), QStringLiteral("DataDir")),
              Service::DataDir);
    EXPECT_EQ(written.readInteger(QStringLiteral("Service"), QStringLiteral("LeftMargin"), 0), 20);
}

TEST(ServiceGlobals, EditedValuesAreUsedAndBadOnesGiveDefaults) {
    FreshHome home;
    const QString data = home.path() + QStringLiteral("/mydata");
    QDir().mkpath(home.path() + QStringLiteral("/config/Merovia"));
    SettingsFile ini(home.path() + QStringLiteral("/config/Merovia/MRVService.ini"));
    ini.writeString(QStringLiteral("Service"), QStringLiteral("DataDir"),
                    data + QStringLiteral("///"));
    ini.writeString(QStringLiteral("Service"), QStringLiteral("Country"), QStringLiteral("ca"));
    ini.writeString(QStringLiteral("Service"), QStringLiteral("Decimals"), QStringLiteral("two"));
    ini.writeString(QStringLiteral("Service"), QStringLiteral("TopMargin"), QStringLiteral("-5"));
    ini.writeString(QStringLiteral("Service"), QStringLiteral("RightMargin"), QStringLiteral("12"));
    ASSERT_TRUE(ini.updateFile());
    Service::GetGlobals();
    EXPECT_EQ(Service::DataDir, data);
    EXPECT_EQ(Service::Country, QStringLiteral("CA"));
    EXPECT_EQ(Service::Decimals, 2);
    EXPECT_EQ(Service::TopMargin, 10);
    EXPECT_EQ(Service::RightMargin, 12);
    EXPECT_TRUE(QFileInfo(data).isDir());
}

TEST(ServiceGlobals, CompanyAndSwitchesComeFromTheDataDirectory) {
    TempDataDir dir;
    dir.writeFile(
        QStringLiteral("MRV.ini"),
        "[Company]\nName=Merovia Test Ltd\nBank=Bank A\\r\\nIBAN 1\\r\\nBIC X\nVATnumber=GB1\n");
    dir.writeFile(QStringLiteral("MRVInv.ini"), "[Invoice]\npdf=1\nDisc=0\nVAT=5\nVATinPrice="
                                                "x\nDesignFile=/d/Classic.ini\nFreeText=Terms\n");
    Service::GetCompany();
    Service::UserDefaultValues();
    EXPECT_EQ(Service::CompanyName, QStringLiteral("Merovia Test Ltd"));
    EXPECT_EQ(Service::CompanyBank, QStringLiteral("Bank A\r\nIBAN 1\r\nBIC X"));
    EXPECT_EQ(Service::VATnumber, QStringLiteral("GB1"));
    EXPECT_TRUE(Service::Pdf);
    EXPECT_FALSE(Service::Disc);
    EXPECT_TRUE(Service::VAT);
    EXPECT_FALSE(Service::VATinPrice);
    EXPECT_EQ(Service::DesignFile, QStringLiteral("/d/Classic.ini"));
    EXPECT_EQ(Service::FriTextNamn, QStringLiteral("Terms"));
}

TEST(ServiceGlobals, ModuleLookupIgnoresCase) {
    TempDataDir dir;
    Service::Modules = {QStringLiteral("CustModule"), QStringLiteral("prodmodule")};
    EXPECT_TRUE(Service::HasModule(QStringLiteral("custmodule")));
    EXPECT_TRUE(Service::HasModule(QStringLiteral("ProdModule")));
    EXPECT_FALSE(Service::HasModule(QStringLiteral("Cust")));
}

TEST(ServiceGlobals, ExecuteFileReportsFailureBelow33) {
    TempDataDir dir;
    EXPECT_LT(Service::ExecuteFile(QStringLiteral("no-such-program-xyz"), QString(), dir.path()),
              33);
    EXPECT_LT(
        Service::ExecuteFile(QStringLiteral("Acrord32"), QStringLiteral("missing.pdf"), dir.path()),
        33);
    QStringList seen;
    Service::setExecuteFileHook([&](const QString& p, const QString& a, const QString&, int) {
        seen << p << a;
        return 42;
    });
    EXPECT_GT(
        Service::ExecuteFile(QStringLiteral("Acrord32"), QStringLiteral("Merovia.pdf"), dir.path()),
        32);
    Service::setExecuteFileHook(nullptr);
    EXPECT_EQ(seen, QStringList({QStringLiteral("Acrord32"), QStringLiteral("Merovia.pdf")}));
}
