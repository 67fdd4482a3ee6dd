#include "plugins/addon.h"
#include "plugins/pluginmanager.h"

#include "packagefolder.h"
#include "support/printers.h"
#include "support/uihooks.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <memory>

namespace {

bool isLoaded(const QString& path) {
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

QString tagOf(QObject* plugin) {
    auto* p = Supports<IupfPlugin>(plugin);
    return p ? upfOwnedText(p->GetModuleTag()) : QStringLiteral("?");
}

// A manager whose every event is written to a log, with the plug-ins' release (their
// package's unregister routine) in between.
class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager = std::make_unique<TupfPluginManager>();
        manager->Loaded();
        manager->OnBeforePackageLoaded = [this](QObject* sender, const QString& file, bool&) {
            EXPECT_EQ(sender, manager.get());
            log << QStringLiteral("before:") + QFileInfo(file).fileName();
        };
        manager->OnAfterPackageLoaded = [this](QObject*, const QString& file) {
            log << QStringLiteral("after:") + QFileInfo(file).fileName();
        };
        manager->OnPackageUnloaded = [this](QObject*, const QString& file) {
            log << QStringLiteral("unloaded:") + file;
        };
        manager->OnPluginRegistered = [this](QObject*, QObject* plugin) {
            const QString tag = tagOf(plugin);
            log << QStringLiteral("registered:") + tag;
            QObject::connect(plugin, &QObject::destroyed, &context,
                             [this, tag] { log << QStringLiteral("freed:") + tag; });
        };
        manager->OnPluginUnRegistered = [this](QObject*, QObject* plugin) {
            log << QStringLiteral("unregistered:") + tagOf(plugin);
        };
        manager->OnNewCommand = [this](QObject*, QObject* plugin, IupfCommand* command) {
            log << QStringLiteral("command:%1:%2").arg(tagOf(plugin), command->GetCaption());
        };
    }

    QStringList moduleNames() const {
        QStringList names;
        for (int i = 0; i < manager->ModuleList().Count(); ++i)
            names << manager->ModuleList().Strings(i);
        return names;
    }

    QStringList pluginNames() const {
        QStringList names;
        manager->GetPluginNames(names);
        return names;
    }

    PackageFolder folder;
    MessageRecorder messages;
    QStringList log;
    // Ends the watch on plug-ins that outlive the test (a package that failed stays loaded).
    QObject context;
    std::unique_ptr<TupfPluginManager> manager;
};

} // namespace

TEST_F(ManagerTest, LoadsAPackageAndUnloadsItWhenItsPluginIsUnregistered) {
    const QString path = folder.addShippedPackage(QStringLiteral("MRVCust.bpl"));
    manager->LoadPluginPackage(path);
    EXPECT_EQ(log, (QStringList{"before:MRVCust.bpl", "registered:CustModule",
                                "command:CustModule:Customer register", "after:MRVCust.bpl"}));
    EXPECT_EQ(moduleNames(), QStringList{"MRVCust.bpl"});
    EXPECT_NE(manager->ModuleList().Objects(0), nullptr);
    EXPECT_EQ(manager->PluginCount(), 1);
    EXPECT_EQ(pluginNames(), QStringList{"CustModule"});
    EXPECT_TRUE(isLoaded(path));
    EXPECT_TRUE(messages.empty());

    log.clear();
    ApplicationServices->UnregisterPlugin(manager->Plugins(0));
    EXPECT_EQ(log,
              (QStringList{"unregistered:CustModule", "freed:CustModule", "unloaded:MRVCust.bpl"}));
    EXPECT_EQ(manager->ModuleList().Count(), 0);
    EXPECT_EQ(manager->PluginCount(), 0);
    EXPECT_FALSE(isLoaded(path));
}

TEST_F(ManagerTest, UnloadAllFiresOnlyPackageUnloadedInLoadOrder) {
    const QString cust = folder.addShippedPackage(QStringLiteral("MRVCust.bpl"));
    const QString prod = folder.addShippedPackage(QStringLiteral("MRVProd.bpl"));
    manager->LoadPluginPackage(cust);
    manager->LoadPluginPackage(prod);
    log.clear();
    manager->UnloadAllPluginPackages();
    EXPECT_EQ(log, (QStringList{"freed:CustModule", "unloaded:MRVCust.bpl", "freed:ProdModule",
                                "unloaded:MRVProd.bpl"}));
    EXPECT_FALSE(isLoaded(cust));
    EXPECT_FALSE(isLoaded(prod));
    // Nothing left: a second call does nothing.
    log.clear();
    manager->UnloadAllPluginPackages();
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(ManagerTest, VetoOrNoToTheConfirmationLeavesThePackageUnloadedWithoutError) {
    const QString path = folder.addShippedPackage(QStringLiteral("MRVCust.bpl"));
    manager->OnBeforePackageLoaded = [](QObject*, const QString&, bool& allow) { allow = false; };
    manager->LoadPluginPackage(path);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(isLoaded(path));
    EXPECT_EQ(manager->ModuleList().Count(), 0);

    manager->OnBeforePackageLoaded = nullptr;
    manager->setWithConfirm(true);
    messages.answer(ui::MsgButton::No);
    manager->LoadPluginPackage(path);
    ASSERT_EQ(messages.messages().size(), 1u);
    const ui::MessageRequest& question = messages.messages()[0];
    EXPECT_EQ(question.text, QStringLiteral("Load package \"MRVCust.bpl\"?"));
    EXPECT_EQ(question.caption, QStringLiteral("Confirm"));
    EXPECT_EQ(question.type, ui::MsgType::Confirmation);
    EXPECT_EQ(question.buttons, ui::MsgButton::Yes | ui::MsgButton::No);
    EXPECT_FALSE(isLoaded(path));
    EXPECT_EQ(manager->PluginCount(), 0);

    messages.answer(ui::MsgButton::Yes);
    manager->LoadPluginPackage(path);
    EXPECT_EQ(messages.messages().size(), 2u);
    EXPECT_EQ(moduleNames(), QStringList{"MRVCust.bpl"});
}

TEST_F(ManagerTest, EveryFaultyPackageIsReportedAndLoadingGoesOn) {
    folder.addShippedPackage(QStringLiteral("MRVCust.bpl"));
    const QString fail = folder.addTestPackage(QStringLiteral("MRVFail.bpl"));
    folder.addTestPackage(QStringLiteral("MRVNoDep.bpl"));
    folder.addTestPackage(QStringLiteral("MRVNotPlug.bpl"));
    folder.addFile(QStringLiteral("MRVJunk.bpl"), "This is not a library.\n");
    folder.addFile(QStringLiteral("MRVReadme.txt"), "Not a package either.\n");
    manager->setPluginFolder(folder.path());
    manager->LoadPluginFolder();

    ASSERT_EQ(messages.messages().size(), 4u);
    for (const ui::MessageRequest& m : messages.messages()) {
        EXPECT_EQ(m.caption, QStringLiteral("Error"));
        EXPECT_EQ(m.type, ui::MsgType::Warning);
        EXPECT_EQ(m.buttons, ui::MsgButtons(ui::MsgButton::OK));
    }
    const QStringList texts = messages.texts();
    EXPECT_TRUE(texts[0].startsWith("The customer table could not be opened."))
        << texts[0].toStdString();
    EXPECT_TRUE(texts[0].contains("MRVFail.bpl"));
    EXPECT_TRUE(texts[1].contains("MRVJunk.bpl")) << texts[1].toStdString();
    EXPECT_TRUE(texts[2].contains("libmrvtest_missing.so")) << texts[2].toStdString();
    EXPECT_TRUE(texts[3].startsWith("The object you have tried to register is not a plugin."))
        << texts[3].toStdString();

    // The failed packages are not listed; the one whose register routine failed after
    // registering its plug-in stays loaded with that plug-in.
    EXPECT_EQ(moduleNames(), QStringList{"MRVCust.bpl"});
    EXPECT_EQ(pluginNames(), (QStringList{"CustModule", "FailModule"}));
    EXPECT_TRUE(isLoaded(fail));

    log.clear();
    manager->UnloadAllPluginPackages();
    EXPECT_EQ(log, (QStringList{"freed:CustModule", "unloaded:MRVCust.bpl"}));
    EXPECT_EQ(manager->PluginCount(), 0);
    EXPECT_TRUE(isLoaded(fail));
}

TEST_F(ManagerTest, PackageWithoutPluginIsListedAndStaysUntilTheManagerGoes) {
    const QString path = folder.addTestPackage(QStringLiteral("MRVEmpty.bpl"));
    manager->LoadPluginPackage(path);
    EXPECT_EQ(log, (QStringList{"before:MRVEmpty.bpl", "after:MRVEmpty.bpl"}));
    EXPECT_EQ(moduleNames(), QStringList{"MRVEmpty.bpl"});
    EXPECT_EQ(manager->PluginCount(), 0);

    log.clear();
    manager->UnloadAllPluginPackages();
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(isLoaded(path));
    manager.reset();
    EXPECT_FALSE(isLoaded(path));
}

TEST_F(ManagerTest, TwoPluginsInOnePackageRegisterInUnitOrderAndLeaveTogether) {
    const QString empty = folder.addTestPackage(QStringLiteral("MRVEmpty.bpl"));
    const QString two = folder.addTestPackage(QStringLiteral("MRVTwoPlug.bpl"));
    const QString cust = folder.addShippedPackage(QStringLiteral("MRVCust.bpl"));
    manager->LoadPluginPackage(empty);
    manager->LoadPluginPackage(two);
    manager->LoadPluginPackage(cust);
    EXPECT_EQ(log.mid(2, 6),
              (QStringList{"before:MRVTwoPlug.bpl", "registered:AlphaModule",
                           "command:AlphaModule:Alpha command", "registered:BetaModule",
                           "command:BetaModule:Beta command", "after:MRVTwoPlug.bpl"}));
    EXPECT_EQ(pluginNames(), (QStringList{"AlphaModule", "BetaModule", "CustModule"}));

    // The package goes with either of its plug-ins, and takes the other with it.
    log.clear();
    ApplicationServices->UnregisterPlugin(manager->Plugins(1));
    EXPECT_EQ(log, (QStringList{"unregistered:BetaModule", "freed:AlphaModule", "freed:BetaModule",
                                "unloaded:MRVTwoPlug.bpl"}));
    EXPECT_EQ(pluginNames(), QStringList{"CustModule"});
    EXPECT_EQ(moduleNames(), (QStringList{"MRVEmpty.bpl", "MRVCust.bpl"}));
    EXPECT_FALSE(isLoaded(two));

    log.clear();
    manager->UnloadAllPluginPackages();
    EXPECT_EQ(log, (QStringList{"freed:CustModule", "unloaded:MRVCust.bpl"}));
    EXPECT_EQ(moduleNames(), QStringList{"MRVEmpty.bpl"});
}

TEST_F(ManagerTest, UnregisterRoutineThatUnregistersItsOwnPluginDoesNotStartASecondUnload) {
    const QString path = folder.addTestPackage(QStringLiteral("MRVTwoCmd.bpl"));
    manager->LoadPluginPackage(path);
    log.clear();
    manager->UnloadAllPluginPackages();
    EXPECT_EQ(log, (QStringList{"freed:TwoCmdModule", "unloaded:MRVTwoCmd.bpl"}));

    manager->LoadPluginPackage(path);
    log.clear();
    ApplicationServices->UnregisterPlugin(manager->Plugins(0));
    EXPECT_EQ(log, (QStringList{"unregistered:TwoCmdModule", "freed:TwoCmdModule",
                                "unloaded:MRVTwoCmd.bpl"}));
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(isLoaded(path));
}

TEST_F(ManagerTest, FailingUnregisterRoutineIsReportedAndTheUnloadGoesOn) {
    const QString path = folder.addTestPackage(QStringLiteral("MRVTwoCmd.bpl"));
    manager->LoadPluginPackage(path);
    qputenv("MRV_TEST_FAIL_UNREGISTER", "1");
    manager->UnloadAllPluginPackages();
    qunsetenv("MRV_TEST_FAIL_UNREGISTER");
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(messages.texts()[0].startsWith("The customer list could not be saved."));
    EXPECT_TRUE(log.endsWith("unloaded:MRVTwoCmd.bpl"));
    EXPECT_EQ(manager->ModuleList().Count(), 0);
    EXPECT_EQ(manager->PluginCount(), 0);
}

TEST_F(ManagerTest, ObjectsRegisteredByTheProgramItselfComeAndGoWithoutAPackage) {
    TupfPlugin own(QStringLiteral("OwnModule"), QStringLiteral("Own v. 1"), QStringLiteral("3"));
    ApplicationServices->RegisterPlugin(&own);
    EXPECT_EQ(pluginNames(), QStringList{"OwnModule"});
    ApplicationServices->AddCommand(&own, nullptr);
    EXPECT_EQ(log, QStringList{"registered:OwnModule"});

    ApplicationServices->UnregisterPlugin(&own);
    EXPECT_EQ(log, (QStringList{"registered:OwnModule", "unregistered:OwnModule"}));
    EXPECT_EQ(manager->PluginCount(), 0);
    // Unregistering what is not registered, or is not a plug-in, does nothing.
    QObject plain;
    ApplicationServices->UnregisterPlugin(&own);
    ApplicationServices->UnregisterPlugin(&plain);
    EXPECT_EQ(log.size(), 2);
    EXPECT_THROW(ApplicationServices->RegisterPlugin(&plain), EupfNotAPluginError);
    EXPECT_EQ(manager->PluginCount(), 0);
}

TEST_F(ManagerTest, StatusControlShowsThePackageBeingLoaded) {
    QLabel status;
    manager->StatusControl = &status;
    manager->LoadPluginPackage(folder.addTestPackage(QStringLiteral("MRVEmpty.bpl")));
    EXPECT_EQ(status.text(), QStringLiteral("Loading MRVEmpty.bpl..."));
    manager->UnloadPluginPackage(5); // no such package: nothing happens
    EXPECT_EQ(manager->ModuleList().Count(), 1);
}
