#include "app/fmstart.h"
#include "db/datasetup.h"
#include "plugins/pluginmanager.h"
#include "printing/designtestprint.h"
#include "report/preview.h"
#include "service/service.h"
#include "service/settingsfile.h"
#include "ui/help.h"

#include "buildpaths.h"

#include "packagefolder.h"
#include "support/printers.h"
#include "support/testenv.h"
#include "support/uihooks.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

QStringList captions(const QMenu* menu) {
    QStringList out;
    if (menu)
        for (const QAction* a : menu->actions())
            if (!a->isSeparator())
                out << a->text();
    return out;
}

QAction* actionIn(const QMenu* menu, const QString& caption) {
    for (QAction* a : menu->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

// Starts the main window the way the program does, with its own data directory, country and
// folder of add-on packages.
class StartTest : public ::testing::Test {
protected:
    void SetUp() override { TfmStart::setApplicationDirOverride(packages.path()); }

    void TearDown() override {
        window.reset();
        TfmStart::setApplicationDirOverride(QString());
        TfmStart::setScreenWidthOverride(-1);
        for (const char* name : {"MRV_TEST_TAG", "MRV_TEST_POSITION"})
            qunsetenv(name);
    }

    TfmStart& start(const QString& country = QStringLiteral("GB")) {
        QDir().mkpath(Service::configDir());
        SettingsFile ini(Service::serviceIniPath());
        ini.writeString(QStringLiteral("Service"), QStringLiteral("DataDir"), data.path());
        ini.writeString(QStringLiteral("Service"), QStringLiteral("Country"), country);
        ini.updateFile();
        window = std::make_unique<TfmStart>();
        return *window;
    }

    void addShipped() {
        for (const char* name : {"MRVCust.bpl", "MRVInv.bpl", "MRVProd.bpl"})
            packages.addShippedPackage(QLatin1String(name));
    }

    QAction* item(const char* name) const {
        return window->findChild<QAction*>(QLatin1String(name));
    }

    QStringList aboutBoxLines() {
        ModalScript modal;
        QStringList lines;
        modal.on(QStringLiteral("AboutBox"), [&](QWidget* box) {
            EXPECT_EQ(box->windowTitle(), QStringLiteral("About"));
            lines = box->findChild<QPlainTextEdit*>(QStringLiteral("Memo2"))
                        ->toPlainText()
                        .split(QLatin1Char('\n'));
        });
        window->mnAbotMRVClick();
        EXPECT_EQ(modal.shown(), QStringList{"AboutBox"});
        return lines;
    }

    TempDataDir data;
    PackageFolder packages;
    MessageRecorder messages;
    HelpRecorder help;
    std::unique_ptr<TfmStart> window;
};

} // namespace

TEST_F(StartTest, MainMenuHasEveryItemAtItsPosition) {
    TfmStart& w = start();
    EXPECT_EQ(w.objectName(), QStringLiteral("TfmStart"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Start"));
    EXPECT_EQ(fmStart, &w);
    const char* names[] = {"mnExit", "mnInvoicing",  "mnProducts",      "mnStock", "mnCustomers",
                           "axes1",  "mnAccounting", "mnUtilities",     "mnSales", "mnSystem",
                           "mnHelp", "N1",           "Avalablemodules1"};
    const QStringList texts = {
        "&Exit",  "&Invoicing",     "&Products",         "&Stock", "&Customers",
        "&Taxes", "&Accounting",    "&Utilities",        "C&RM",   "S&ystem",
        "&Help",  QString(15, ' '), "Available &modules"};
    for (int pos = 0; pos < 13; ++pos) {
        ASSERT_NE(w.topLevelItem(pos), nullptr);
        EXPECT_EQ(w.topLevelItem(pos)->objectName(), QLatin1String(names[pos]));
        EXPECT_EQ(w.topLevelItem(pos)->text(), texts[pos]);
        EXPECT_EQ(w.topLevelItem(pos)->isVisible(), pos != 8) << names[pos];
    }
    EXPECT_EQ(w.topLevelItem(13), nullptr);
    EXPECT_EQ(captions(w.topLevelMenu(1)), (QStringList{"Write invoice", "Finance charging"}));
    EXPECT_EQ(captions(w.topLevelMenu(5)), (QStringList{"Tax rates", "VAT rates"}));
    EXPECT_EQ(captions(w.topLevelMenu(9)),
              (QStringList{"Company data", "Program setup", "Language setup",
                           "Logotype installation", "Back up data…", "Restore…"}));
    EXPECT_EQ(captions(w.topLevelMenu(10)),
              (QStringList{"About Merovia", "Help texts", "Manual", "First start"}));
    const QStringList modules = {"Invoice register",  "Customers", "Mailing lists",
                                 "Products",          "Stock",     "Accounting",
                                 "Price calculation", "Utilities"};
    EXPECT_EQ(captions(w.topLevelMenu(12)), modules);
    for (QAction* entry : w.topLevelMenu(12)->actions())
        EXPECT_EQ(captions(entry->menu()), QStringList{"Download free test version"});
    for (const char* described : {"mnInvoicing", "mnCustomers"}) {
        EXPECT_EQ(item(described)->property("helpContext").toInt(), 701);
        EXPECT_EQ(item(described)->statusTip(), QStringLiteral("F1 for description"));
    }
    EXPECT_EQ(w.helpContext(), 700);
    EXPECT_NE(w.findChild<QObject*>(QStringLiteral("dbsVersions")), nullptr);
    EXPECT_NE(w.findChild<QObject*>(QStringLiteral("HelpRouter1")), nullptr);
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartTest, WithoutPackagesModuleMenusAreClosedAndAboutListsTheBaseOnly) {
    start();
    EXPECT_TRUE(Service::Modules.isEmpty());
    EXPECT_EQ(Service::Versions, QStringList{"Base module v. 10.3.5.0"});
    for (const char* closed :
         {"mnProducts", "mnStock", "mnCustomers", "mnAccounting", "mnUtilities"})
        EXPECT_FALSE(item(closed)->isEnabled()) << closed;
    EXPECT_FALSE(item("mnFinance")->isVisible());
    EXPECT_FALSE(item("mnSales")->isVisible());
    EXPECT_TRUE(item("mnWriteInvoice")->isEnabled());
    EXPECT_EQ(aboutBoxLines(), QStringList{"Base module v. 10.3.5.0"});
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartTest, CompanyAndSwitchesAreReadAtStartAndNeedNoDatabase) {
    data.writeFile(QStringLiteral("MRV.ini"), "[Company]\nName=Acme Ltd\n");
    data.writeFile(QStringLiteral("MRVInv.ini"), "[Invoice]\nVAT=1\nDisc=1\npdf=1\n");
    Service::VAT = Service::Disc = false;
    start(QStringLiteral("SE"));
    EXPECT_EQ(Service::CompanyName, QStringLiteral("Acme Ltd"));
    EXPECT_TRUE(Service::VAT);
    EXPECT_TRUE(Service::Disc);
    EXPECT_TRUE(Service::Pdf);
    EXPECT_EQ(Service::ApplicationDir, packages.path());
    EXPECT_FALSE(QFileInfo::exists(data.file(QStringLiteral("MRV.db"))));
}

TEST_F(StartTest, ShippedPackagesOpenTheirMenusAndListTheirVersions) {
    addShipped();
    start();
    EXPECT_EQ(Service::Modules, (QStringList{"CustModule", "InvModule", "ProdModule"}));
    const QStringList versions = {"Base module v. 10.3.5.0", "Customers v. 10.3.5.0",
                                  "Invoice register v. 10.3.5.0", "Products v. 10.3.5.0"};
    EXPECT_EQ(Service::Versions, versions);
    EXPECT_TRUE(item("mnProducts")->isEnabled());
    EXPECT_TRUE(item("mnCustomers")->isEnabled());
    EXPECT_TRUE(item("mnFinance")->isVisible());
    EXPECT_FALSE(item("mnStock")->isEnabled());
    EXPECT_FALSE(item("mnAccounting")->isEnabled());
    EXPECT_FALSE(item("mnUtilities")->isEnabled());
    EXPECT_EQ(aboutBoxLines(), versions);
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartTest, CustomerAndProductRegistersOpenFromTheirMenus) {
    addShipped();
    QString error;
    ASSERT_TRUE(db::createDataDir(data.path(), false, &error)) << error.toStdString();
    TfmStart& w = start();
    EXPECT_EQ(captions(w.topLevelMenu(4)), QStringList{"Customer register"});
    EXPECT_EQ(captions(w.topLevelMenu(2)), QStringList{"Product register"});
    ModalScript modal;
    actionIn(w.topLevelMenu(4), QStringLiteral("Customer register"))->trigger();
    actionIn(w.topLevelMenu(2), QStringLiteral("Product register"))->trigger();
    EXPECT_EQ(modal.shown(), (QStringList{"TfmCustreg", "TfmProdreg"}));
    EXPECT_TRUE(messages.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(StartTest, CommandsGoInOrderUnderTheMenuOfThePluginRegisteredLastBeforeThem) {
    packages.addTestPackage(QStringLiteral("MRVTwoCmd.bpl"));
    packages.addTestPackage(QStringLiteral("MRVTwoPlug.bpl"));
    TfmStart& w = start();
    EXPECT_TRUE(messages.empty()) << messages.texts().join("|").toStdString();
    EXPECT_EQ(
        captions(w.topLevelMenu(9)),
        (QStringList{"Company data", "Program setup", "Language setup", "Logotype installation",
                     "Back up data…", "Restore…", "First command", "Second command"}));
    EXPECT_EQ(captions(w.topLevelMenu(2)), QStringList{"Alpha command"});
    EXPECT_EQ(captions(w.topLevelMenu(6)), QStringList{"Beta command"});

    QAction* second = actionIn(w.topLevelMenu(9), QStringLiteral("Second command"));
    EXPECT_TRUE(second->objectName().isEmpty());
    EXPECT_TRUE(second->isEnabled());
    EXPECT_FALSE(second->isCheckable());
    EXPECT_TRUE(second->shortcut().isEmpty());
    second->trigger();
    EXPECT_EQ(second->property("clicks").toInt(), 1);
    EXPECT_EQ(actionIn(w.topLevelMenu(9), "First command")->property("clicks").toInt(), 0);
}

TEST_F(StartTest, FailingCommandIsReportedAndCommandsOfAnUnloadedPackageDoNothing) {
    packages.addTestPackage(QStringLiteral("MRVTwoCmd.bpl"));
    TfmStart& w = start();
    QAction* first = actionIn(w.topLevelMenu(9), QStringLiteral("First command"));
    first->setProperty("fail", true);
    first->trigger();
    EXPECT_EQ(messages.texts(), QStringList{"The command failed."});
    first->setProperty("fail", false);

    ApplicationServices->UnregisterPlugin(w.pluginManager()->Plugins(0));
    EXPECT_EQ(w.pluginManager()->ModuleList().Count(), 0);
    first->trigger();
    EXPECT_EQ(first->property("clicks").toInt(), 0);
}

TEST_F(StartTest, FaultyPackagesAreReportedAndTheOthersStillLoad) {
    addShipped();
    for (const char* name :
         {"MRVFail.bpl", "MRVNoDep.bpl", "MRVNotPlug.bpl", "MRVEmpty.bpl", "MRVBadPos.bpl"})
        packages.addTestPackage(QLatin1String(name));
    packages.addFile(QStringLiteral("MRVJunk.bpl"), "not a library");
    TfmStart& w = start();

    ASSERT_EQ(messages.messages().size(), 5u) << messages.texts().join("|").toStdString();
    for (const ui::MessageRequest& m : messages.messages()) {
        EXPECT_EQ(m.caption, QStringLiteral("Error"));
        EXPECT_EQ(m.type, ui::MsgType::Warning);
    }
    const QStringList texts = messages.texts();
    EXPECT_TRUE(texts[0].contains("Menu position 13")) << texts[0].toStdString();
    EXPECT_TRUE(texts[1].startsWith("The customer table could not be opened."));
    EXPECT_TRUE(texts[2].contains("MRVJunk.bpl"));
    EXPECT_TRUE(texts[3].contains("libmrvtest_missing.so"));
    EXPECT_TRUE(texts[4].startsWith("The object you have tried to register is not a plugin."));

    EXPECT_TRUE(Service::Modules.contains("CustModule"));
    EXPECT_TRUE(Service::Modules.contains("InvModule"));
    EXPECT_TRUE(Service::Modules.contains("ProdModule"));
    EXPECT_TRUE(item("mnCustomers")->isEnabled());
    QStringList listed;
    for (int i = 0; i < w.pluginManager()->ModuleList().Count(); ++i)
        listed << w.pluginManager()->ModuleList().Strings(i);
    EXPECT_EQ(listed, (QStringList{"MRVCust.bpl", "MRVEmpty.bpl", "MRVInv.bpl", "MRVProd.bpl"}));

    // Closing copes with plug-ins whose packages failed half-way.
    messages.clear();
    w.close();
    EXPECT_EQ(w.pluginManager()->PluginCount(), 0);
    EXPECT_TRUE(messages.empty());
}

class MenuPositionTest : public StartTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MenuPositionTest, PositionOutsideTheMenuIsAnError) {
    qputenv("MRV_TEST_POSITION", GetParam());
    packages.addTestPackage(QStringLiteral("MRVBadPos.bpl"));
    addShipped();
    TfmStart& w = start();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(messages.texts()[0].contains(QLatin1String(GetParam())));
    EXPECT_EQ(Service::Modules.size(), 4);
    for (int pos = 0; pos < 13; ++pos)
        EXPECT_FALSE(captions(w.topLevelMenu(pos)).contains("Positioned command"));
}

INSTANTIATE_TEST_SUITE_P(Bad, MenuPositionTest,
                         ::testing::Values("13", "-1", "abc", "4.5", "", "2 3"));

TEST_F(StartTest, CommandsCanGoUnderExitAndTheLastMenu) {
    qputenv("MRV_TEST_POSITION", "0");
    packages.addTestPackage(QStringLiteral("MRVBadPos.bpl"));
    TfmStart& w = start();
    EXPECT_TRUE(messages.empty());
    // "&Exit" keeps its own command as the first entry of its new menu.
    EXPECT_EQ(captions(w.topLevelMenu(0)), (QStringList{"&Exit", "Positioned command"}));
    messages.answer(ui::MsgButton::No);
    w.topLevelMenu(0)->actions().first()->trigger();
    EXPECT_EQ(messages.texts(), QStringList{"Exit program?"});
}

class CountryTest
    : public StartTest,
      public ::testing::WithParamInterface<std::tuple<const char*, const char*, bool>> {};

TEST_P(CountryTest, TaxCaptionAndVatRates) {
    const auto [country, caption, vatShown] = GetParam();
    start(QLatin1String(country));
    EXPECT_EQ(Service::Country, QLatin1String(country));
    EXPECT_EQ(Service::VATcap, QLatin1String(caption));
    EXPECT_EQ(item("mnVAT")->isVisible(), vatShown);
    EXPECT_TRUE(item("mnTax")->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Countries, CountryTest,
    ::testing::Values(std::make_tuple("US", "VAT", false), std::make_tuple("CA", "GST/HST", true),
                      std::make_tuple("SG", "GST", true), std::make_tuple("NZ", "GST", true),
                      std::make_tuple("AU", "GST", true), std::make_tuple("GB", "VAT", true)));

class UtilitiesTest : public StartTest,
                      public ::testing::WithParamInterface<std::tuple<const char*, bool>> {};

TEST_P(UtilitiesTest, UtilitiesOpenForEitherModule) {
    const auto [tag, enabled] = GetParam();
    qputenv("MRV_TEST_TAG", tag);
    qputenv("MRV_TEST_POSITION", "7");
    packages.addTestPackage(QStringLiteral("MRVBadPos.bpl"));
    TfmStart& w = start();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(item("mnUtilities")->isEnabled(), enabled);
    EXPECT_EQ(captions(w.topLevelMenu(7)), QStringList{"Positioned command"});
}

INSTANTIATE_TEST_SUITE_P(Tags, UtilitiesTest,
                         ::testing::Values(std::make_tuple("UteModule", true),
                                           std::make_tuple("CalcModule", true),
                                           std::make_tuple("calcmodule", true),
                                           std::make_tuple("UteModules", false)));

TEST_F(StartTest, ExitAsksAndNoKeepsTheProgramRunning) {
    addShipped();
    TfmStart& w = start();
    w.show();
    messages.answer(ui::MsgButton::No);
    item("mnExit")->trigger();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, QStringLiteral("Exit program?"));
    EXPECT_EQ(messages.messages()[0].type, ui::MsgType::Confirmation);
    EXPECT_EQ(messages.messages()[0].buttons, ui::MsgButton::Yes | ui::MsgButton::No);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.pluginManager()->ModuleList().Count(), 3);

    messages.answer(ui::MsgButton::Yes);
    item("mnExit")->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.pluginManager()->ModuleList().Count(), 0);
    // The menu and the add-ons' items in it are freed.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.findChild<QMenuBar*>(QStringLiteral("MainMenu1")), nullptr);
    EXPECT_EQ(w.topLevelItem(0), nullptr);
}

TEST_F(StartTest, CloseBoxUnloadsEveryPackageWithoutAsking) {
    addShipped();
    packages.addTestPackage(QStringLiteral("MRVTwoPlug.bpl"));
    TfmStart& w = start();
    w.show();
    QStringList events;
    w.pluginManager()->OnPackageUnloaded = [&](QObject*, const QString& file) {
        events << QStringLiteral("unloaded:") + file;
    };
    w.pluginManager()->OnPluginUnRegistered = [&](QObject*, QObject*) {
        events << QStringLiteral("unregistered");
    };
    w.close();
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(events, (QStringList{"unloaded:MRVCust.bpl", "unloaded:MRVInv.bpl",
                                   "unloaded:MRVProd.bpl", "unloaded:MRVTwoPlug.bpl"}));
    EXPECT_EQ(w.pluginManager()->PluginCount(), 0);
}

TEST_F(StartTest, NarrowScreenIsWarnedAboutAndStartUpGoesOn) {
    addShipped();
    TfmStart::setScreenWidthOverride(799);
    start();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text,
              QStringLiteral("This program does not work well\r\rwith less screen resolution "
                             "than 800 x 600"));
    EXPECT_EQ(Service::Modules.size(), 3);
    window.reset();
    messages.clear();
    TfmStart::setScreenWidthOverride(800);
    start();
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartTest, HelpCommandsAndF1OpenTheirTopics) {
    TfmStart& w = start();
    w.show();
    item("mnHelptexts")->trigger();
    item("mnFirst")->trigger();
    for (const char* entry :
         {"mnInvoiceModule", "mnCustomerModule", "Mailinglists1", "mnProductsModule", "Stock1",
          "mnAccountingModule", "mnPriceModule", "mnUtilitiesModule"})
        item(entry)->trigger();
    EXPECT_EQ(help.contexts(),
              (QList<int>{701, 380, 1002, 1001, 1008, 1003, 1004, 1005, 1006, 1007}));

    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(help.contexts().last(), 700);
    // F1 in the "&Invoicing" menu gives its own topic.
    QTest::keyClick(w.topLevelMenu(1), Qt::Key_F1);
    EXPECT_EQ(help.contexts().last(), 701);
    QTest::keyClick(w.topLevelMenu(10), Qt::Key_F1);
    EXPECT_EQ(help.contexts().last(), 700);
}

TEST_F(StartTest, ManualTriesBothReadersThenSaysThereIsNone) {
    TfmStart& w = start();
    QStringList calls;
    int answer = 2;
    Service::setExecuteFileHook(
        [&](const QString& program, const QString& parameters, const QString& directory, int) {
            calls << QStringList{program, parameters, directory}.join(QLatin1Char('|'));
            return answer;
        });
    w.mnManualClick();
    const QString dir = Service::HelpDir + QDir::separator();
    EXPECT_EQ(calls, (QStringList{"Acrord32|Merovia.pdf|" + dir, "Acrobat|Merovia.pdf|" + dir}));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text,
              QStringLiteral("There is no Acrobat program on this computer.\r\n"
                             "The manual can not be read."));
    EXPECT_EQ(messages.messages()[0].buttons, ui::MsgButtons(ui::MsgButton::OK));

    calls.clear();
    messages.clear();
    answer = 42;
    w.mnManualClick();
    EXPECT_EQ(calls.size(), 1);
    EXPECT_TRUE(messages.empty());
    Service::setExecuteFileHook(nullptr);
}

TEST_F(StartTest, DownloadHandsTheAddressToTheBrowserAndWaitsForBack) {
    TfmStart& w = start();
    QStringList opened;
    Service::setExecuteFileHook([&](const QString& program, const QString&, const QString&, int) {
        opened << program;
        return 42;
    });
    ModalScript modal;
    for (int i = 0; i < 2; ++i)
        modal.on(QStringLiteral("TfmInternet10"), [&, i](QWidget* window) {
            EXPECT_EQ(window->windowTitle(), QStringLiteral("Internet connection"));
            EXPECT_EQ(opened.size(), i + 1);
            QAction* back = window->findChild<QAction*>(QStringLiteral("mnBack"));
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(back->text(), QStringLiteral("Back"));
            back->trigger();
            EXPECT_FALSE(window->isVisible());
        });
    item("mnDownloadfreeInvRegister")->trigger();
    item("mnDownloadfreeStock")->trigger();
    Service::setExecuteFileHook(nullptr);
    EXPECT_EQ(modal.shown(), (QStringList{"TfmInternet10", "TfmInternet10"}));
    ASSERT_EQ(opened.size(), 2);
    EXPECT_TRUE(opened[0].startsWith("https://"));
    EXPECT_EQ(opened[0], w.webAddress());
}

TEST_F(StartTest, PictureStaysCentredInThePanel) {
    TfmStart& w = start();
    w.show();
    auto* panel = w.findChild<QWidget*>(QStringLiteral("pnlMain"));
    auto* picture = w.findChild<QWidget*>(QStringLiteral("Image1"));
    for (const QSize size : {QSize(700, 500), QSize(901, 433), QSize(200, 150)}) {
        w.resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(picture->size(), QSize(256, 128));
        EXPECT_EQ(picture->pos(), QPoint((panel->width() - 256) / 2, (panel->height() - 128) / 2))
            << size.width();
    }
    EXPECT_FALSE(picture->isEnabled());
}

TEST_F(StartTest, MissingApplicationServicesStopTheWindowFromBeingCreated) {
    upfUnRegisterClass(QStringLiteral("TupfStandardApplicationServices"));
    EXPECT_THROW(start(), EupfAppServicesError);
    EXPECT_EQ(fmStart, nullptr);
    upfRegisterClass<TupfStandardApplicationServices>(
        QStringLiteral("TupfStandardApplicationServices"));
    start();
    EXPECT_EQ(fmStart, window.get());
}

TEST_F(StartTest, DownloadWithoutABrowserShowsTheAddressInstead) {
    TfmStart& w = start();
    Service::setExecuteFileHook(
        [](const QString&, const QString&, const QString&, int) { return 2; });
    ModalScript modal;
    QString info;
    QString address;
    modal.on(QStringLiteral("TfmInternet10"), [&](QWidget* window) {
        info = window->findChild<QLabel*>(QStringLiteral("lbInfo"))->text();
        address = window->findChild<QLabel*>(QStringLiteral("lbAddress"))->text();
    });
    w.mnDownloadfreeInvRegisterClick();
    Service::setExecuteFileHook(nullptr);
    EXPECT_TRUE(info.startsWith("No web browser could be started")) << info.toStdString();
    EXPECT_TRUE(address.contains(w.webAddress()));
}

TEST_F(StartTest, SystemMenuOpensItsWindowsModally) {
    start();
    ModalScript modal;
    for (const char* name : {"mnSetup", "mnCompany", "mnLanguage", "mnLogoIn"})
        item(name)->trigger();
    EXPECT_EQ(modal.shown(),
              QStringList({QStringLiteral("TfmDocumentdata"), QStringLiteral("TfmCompany"),
                           QStringLiteral("TfmLanguage"), QStringLiteral("TfmLogoCopy")}));
}

TEST_F(StartTest, BackupAndRestoreFromTheSystemMenu) {
    QString error;
    ASSERT_TRUE(db::createDataDir(data.path(), false, &error)) << error.toStdString();
    start();
    QTemporaryDir backups;
    const QString folder = backups.filePath(QStringLiteral("Monday"));
    FileDialogScript files;
    files.answer(folder);
    item("mnBackup")->trigger();
    ASSERT_EQ(files.requests().size(), 1u);
    EXPECT_EQ(files.requests()[0].kind, ui::FileRequest::Folder);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/MRV.db")));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Design.ini"))) << "the settings files";
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].startsWith(QLatin1String("The data was backed up to")))
        << messages.texts()[0].toStdString();

    // Into a folder that holds a backup only when the user agrees; cancelling does nothing.
    messages.clear();
    messages.answer(ui::MsgButton::No);
    files.answer(folder);
    item("mnBackup")->trigger();
    EXPECT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].contains(QLatin1String("holds a backup already")));
    files.answer(QString());
    item("mnRestore")->trigger();
    EXPECT_EQ(messages.texts().size(), 1);

    messages.clear();
    messages.answer(ui::MsgButton::Yes);
    files.answer(folder);
    item("mnRestore")->trigger();
    ASSERT_EQ(messages.texts().size(), 2) << messages.texts().join('|').toStdString();
    EXPECT_TRUE(messages.texts()[0].startsWith(QLatin1String("Replace the data in")));
    EXPECT_TRUE(messages.texts()[1].startsWith(QLatin1String("The data was restored from")))
        << messages.texts()[1].toStdString();
    EXPECT_EQ(QDir(data.path()).entryList({QStringLiteral("Replaced *")}, QDir::Dirs).size(), 1);

    // A folder without a backup is refused before any question.
    messages.clear();
    files.answer(backups.path());
    item("mnRestore")->trigger();
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_EQ(messages.messages()[0].type, ui::MsgType::Error);
    EXPECT_TRUE(messages.texts()[0].startsWith(QLatin1String("Nothing was restored.")));
}

TEST_F(StartTest, TaxMenuOpensTheTaxAndVatRegisters) {
    QString error;
    ASSERT_TRUE(db::createDataDir(data.path(), false, &error)) << error.toStdString();
    start();
    ModalScript modal;
    MessageRecorder messages;
    QStringList captions;
    for (const char* name : {"TfmTaxes", "TfmVATReg"})
        modal.on(QLatin1String(name), [&](QWidget* w) { captions << w->windowTitle(); });
    item("mnTax")->trigger();
    item("mnVAT")->trigger();
    EXPECT_EQ(modal.shown(),
              QStringList({QStringLiteral("TfmTaxes"), QStringLiteral("TfmVATReg")}));
    EXPECT_EQ(captions, QStringList({QStringLiteral("Taxes"), QStringLiteral("VAT rates")}));
    EXPECT_TRUE(messages.empty()) << messages.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(StartTest, InvoicingOpensFinanceChargingAndTheAddOnsInvoiceRegister) {
    QString error;
    ASSERT_TRUE(db::createDataDir(data.path(), false, &error)) << error.toStdString();
    addShipped();
    start();
    ASSERT_TRUE(item("mnFinance")->isVisible());
    QAction* reg = nullptr;
    for (QAction* top : window->menuBar()->actions())
        if (top->menu() && top->text() == QLatin1String("&Invoicing"))
            reg = actionIn(top->menu(), QStringLiteral("Invoice register"));
    ASSERT_NE(reg, nullptr);
    ModalScript modal;
    QStringList captions;
    for (const char* name : {"TfmFinance", "TfmInvReg"})
        modal.on(QLatin1String(name), [&](QWidget* w) { captions << w->windowTitle(); });
    item("mnFinance")->trigger();
    reg->trigger();
    EXPECT_EQ(captions, QStringList({QStringLiteral("Finance charging"),
                                     QStringLiteral("Invoice register")}));
    EXPECT_TRUE(messages.empty()) << messages.texts().join(QLatin1Char('|')).toStdString();

    // The design test print of the settings windows is the document with sample rows.
    QString title;
    modal.on(QStringLiteral("ReportPreview"), [&title](QWidget* p) {
        const report::PreparedDocument& doc = static_cast<report::PreviewWindow*>(p)->document();
        for (const report::PlacedElement& e : doc.pages.at(0).elements)
            if (e.name == QLatin1String("lbDocument"))
                title = e.text;
    });
    printing::TestPrintRequest request;
    request.designFile = Service::filePath(data.path(), QStringLiteral("Classic.ini"));
    printing::runTestPrint(request);
    EXPECT_EQ(title, QStringLiteral("Test Invoice"));
}

TEST(HelpPages, EveryTopicTheProgramOpensHasAPageAndTheManualIsThere) {
    TempDataDir data;
    Service::HelpDir = QStringLiteral(MEROVIA_SOURCE_DATA_DIR "/help");
    const int contexts[] = {700, 701, 380, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008,
                            330, 160, 620, 550,  395,  830,  420,  27,   430,  600,  790,
                            820, 270, 190, 240,  370,  540,  560,  570,  510,  520,  375};
    for (int context : contexts)
        EXPECT_FALSE(ui::helpTopicPath(context).isEmpty()) << context;
    QFile index(ui::helpTopicPath(0));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    const QString contents = QString::fromUtf8(index.readAll());
    QRegularExpression link(QStringLiteral("href=\"(\\d+)\\.html\""));
    int links = 0;
    for (auto it = link.globalMatch(contents); it.hasNext(); ++links)
        EXPECT_FALSE(ui::helpTopicPath(it.next().captured(1).toInt()).isEmpty());
    EXPECT_EQ(links, static_cast<int>(std::size(contexts)));
    // The manual is written into the built help folder when the program is built.
    QFile manual(QStringLiteral(MEROVIA_BUILD_DATA_DIR "/help/Merovia.pdf"));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    EXPECT_TRUE(manual.read(5) == "%PDF-");
}
