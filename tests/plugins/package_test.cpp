#include "plugins/package.h"
#include "plugins/pluginmanager.h"
#include "plugins/upfintf.h"

#include "packagefolder.h"

#include <gtest/gtest.h>

TEST(PackageRoutines, NamesFollowTheUnitSpellingAndAreExportedWithoutAtOrDollar) {
    EXPECT_EQ(upfPackage::UnitName(QStringLiteral("MRVCust")), QStringLiteral("Mrvcust"));
    EXPECT_EQ(upfPackage::UnitName(QStringLiteral("uNITb")), QStringLiteral("Unitb"));
    EXPECT_EQ(upfPackage::RegisterRoutineName(QStringLiteral("MRVCust")),
              QStringLiteral("@Mrvcust@Register$qqrv"));
    EXPECT_EQ(upfPackage::UnRegisterRoutineName(QStringLiteral("MRVCust")),
              QStringLiteral("@Mrvcust@UnRegister$qqrv"));
    EXPECT_EQ(upfPackage::ExportedSymbol(QStringLiteral("@Mrvcust@Register$qqrv")),
              QByteArray("_Mrvcust_Register_qqrv"));
    EXPECT_EQ(upfPackage::ExportedSymbol(QStringLiteral("@Mrvcust@UnRegister$qqrv")),
              QByteArray("_Mrvcust_UnRegister_qqrv"));
}

TEST(PackageRoutines, ShippedPackageListsItsUnitAndExportsBothRoutines) {
    PackageFolder folder;
    const QString path = folder.addShippedPackage(QStringLiteral("MRVCust.bpl"));
    QString error;
    upfPackage::Handle handle = upfPackage::Load(path, &error);
    ASSERT_NE(handle, nullptr) << error.toStdString();
    EXPECT_EQ(upfPackage::Units(handle), QStringList{QStringLiteral("MRVCust")});
    EXPECT_NE(upfPackage::Resolve(handle, "_Mrvcust_Register_qqrv"), nullptr);
    EXPECT_NE(upfPackage::Resolve(handle, "_Mrvcust_UnRegister_qqrv"), nullptr);
    EXPECT_TRUE(upfPackage::Unload(handle));
}

TEST(PackageRoutines, FindPackagesMatchesThePatternWithoutLetterCaseAndSortsByName) {
    PackageFolder folder;
    folder.addFile(QStringLiteral("MRVb.bpl"), "x");
    folder.addFile(QStringLiteral("mrva.BPL"), "x");
    folder.addFile(QStringLiteral("MRVc.so"), "x");
    folder.addFile(QStringLiteral("Other.bpl"), "x");
    QDir(folder.path()).mkdir(QStringLiteral("MRVdir.bpl"));
    QStringList names;
    for (const QString& path : upfPackage::FindPackages(folder.path(), QStringLiteral("MRV*.bpl")))
        names << QFileInfo(path).fileName();
    EXPECT_EQ(names, (QStringList{QStringLiteral("mrva.BPL"), QStringLiteral("MRVb.bpl")}));
}

namespace {
class NotServices : public QObject {
public:
    explicit NotServices(QObject* owner)
        : QObject(owner) {}
};
} // namespace

TEST(ApplicationServices, SetUpErrorsCarryTheirMessages) {
    auto message = [](auto&& action) {
        try {
            action();
        } catch (const EupfAppServicesError& e) {
            return e.Message();
        }
        return QStringLiteral("no error");
    };
    {
        TupfPluginManager manager;
        manager.setAppServicesClass(QStringLiteral("TNoSuchServices"));
        EXPECT_EQ(message([&] { manager.Loaded(); }),
                  QStringLiteral("Specified Application Services class not found."));
        EXPECT_EQ(ApplicationServices, nullptr);
    }
    {
        upfRegisterClass<NotServices>(QStringLiteral("TNotServices"));
        TupfPluginManager manager;
        manager.setAppServicesClass(QStringLiteral("TNotServices"));
        EXPECT_EQ(message([&] { manager.Loaded(); }),
                  QStringLiteral(
                      "Specified Application Services do not support IupfApplicationServices"));
        EXPECT_EQ(ApplicationServices, nullptr);
        EXPECT_TRUE(manager.children().isEmpty());
        upfUnRegisterClass(QStringLiteral("TNotServices"));
    }
    QObject notAManager;
    EXPECT_EQ(message([&] { TupfStandardApplicationServices services(&notAManager); }),
              QStringLiteral("Applications Services owner must be plugin manager"));
}

TEST(ApplicationServices, PublishedWhileTheManagerLivesAndFoundByNameInAnyCase) {
    EXPECT_NE(upfGetClass(QStringLiteral("tupfstandardapplicationservices")), nullptr);
    {
        TupfPluginManager manager;
        EXPECT_EQ(manager.AppServicesClass(), QStringLiteral("TupfStandardApplicationServices"));
        EXPECT_EQ(manager.Extension(), QStringLiteral("bpl"));
        EXPECT_FALSE(manager.WithConfirm());
        EXPECT_TRUE(manager.PluginFolder().isEmpty());
        manager.setProperty("Version", QStringLiteral("1.0"));
        EXPECT_EQ(manager.property("Version").toString(), QStringLiteral("6.0.4"));
        manager.Loaded();
        ASSERT_NE(ApplicationServices, nullptr);
        EXPECT_TRUE(Supports(manager.AppServices(), IupfApplicationServices::IID));
        EXPECT_FALSE(Supports(manager.AppServices(), IupfPlugin::IID));
        // Another manager that goes away does not take this one's services with it.
        { TupfPluginManager other; }
        EXPECT_NE(ApplicationServices, nullptr);
    }
    EXPECT_EQ(ApplicationServices, nullptr);
}
