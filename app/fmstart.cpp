#include "app/fmstart.h"

#include "app/aboutbox.h"
#include "app/application.h"
#include "app/helprouter.h"
#include "app/imagebox.h"
#include "app/internet.h"
#include "app/logging.h"
#include "app/startrules.h"
#include "db/backup.h"
#include "finance/tfmfinance.h"
#include "invoicing/companions.h"
#include "plugins/package.h"
#include "plugins/pluginmanager.h"
#include "printing/tfmlanguage.h"
#include "printing/tfmqrtryinvoice.h"
#include "service/service.h"
#include "settings/company.h"
#include "settings/documentdata.h"
#include "settings/logocopy.h"
#include "taxes/tfmtaxes.h"
#include "taxes/tfmvatreg.h"
#include "ui/dialogs.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QThread>

#include <algorithm>

Q_LOGGING_CATEGORY(lcApp, "merovia.app", QtCriticalMsg)

TfmStart* fmStart = nullptr;

namespace {

constexpr const char* kHelpContext = "helpContext";
constexpr const char* kWebAddress = "https://www.merovia.example/addons.html";

QString& applicationDirOverride() {
    static QString dir;
    return dir;
}

int& screenWidthOverride() {
    static int width = -1;
    return width;
}

// "Available modules": an entry opens its help topic when clicked and its "Download free
// test version" item when the pointer rests on it, so a click on an entry that has a
// sub-menu triggers the entry too.
class ModulesMenu : public QMenu {
public:
    using QMenu::QMenu;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QAction* entry = actionAt(event->position().toPoint());
        QMenu::mouseReleaseEvent(event);
        if (entry && entry->menu() && entry->isEnabled() && event->button() == Qt::LeftButton) {
            close();
            entry->trigger();
        }
    }
};

} // namespace

TfmStart::TfmStart(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("TfmStart"));
    setWindowTitle(QStringLiteral("Start"));
    createComponents();
    // The manager's application services must exist before any package is loaded; without
    // them nothing can start, so the error leaves the constructor.
    upfPluginManager1->Loaded();
    fmStart = this;
    FormCreate();
}

TfmStart::~TfmStart() {
    if (fmStart == this)
        fmStart = nullptr;
}

void TfmStart::setApplicationDirOverride(const QString& dir) {
    applicationDirOverride() = dir;
}

void TfmStart::setScreenWidthOverride(int width) {
    screenWidthOverride() = width;
}

void TfmStart::createComponents() {

    pnlMain = new QWidget(this);
    pnlMain->setObjectName(QStringLiteral("pnlMain"));
    pnlMain->installEventFilter(this);
    setCentralWidget(pnlMain);

    Image1 = new ImageBox(pnlMain);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(256, 128);
    Image1->setPicture(ImageBox::productPicture());
    Image1->setEnabled(false);

    createMainMenu();
    // Wide enough for the whole menu, whatever the desktop's font.
    resize(std::max(640, MainMenu1->sizeHint().width() + 24), 460);

    // Hints of the menu items show here while the pointer rests on them.
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(false);

    dbsVersions = new QObject(this);
    dbsVersions->setObjectName(QStringLiteral("dbsVersions"));
    dbsVersions->setProperty("SessionName", QStringLiteral("dbsVersions"));

    HelpRouter1 = new THelpRouter(this);
    HelpRouter1->setObjectName(QStringLiteral("HelpRouter1"));

    upfPluginManager1 = new TupfPluginManager(this);
    upfPluginManager1->setObjectName(QStringLiteral("upfPluginManager1"));
    upfPluginManager1->setWithConfirm(false);
    upfPluginManager1->setExtension(QStringLiteral("bpl"));
    upfPluginManager1->setAppServicesClass(QStringLiteral("TupfStandardApplicationServices"));
    upfPluginManager1->OnPluginRegistered = [this](QObject* sender, QObject* plugin) {
        upfPluginManager1PluginRegistered(sender, plugin);
    };
    upfPluginManager1->OnNewCommand = [this](QObject* sender, QObject* plugin,
                                             IupfCommand* command) {
        upfPluginManager1NewCommand(sender, plugin, command);
    };
}

QAction* TfmStart::addTopLevel(const char* name, const QString& caption) {
    QAction* item = MainMenu1->addAction(caption);
    item->setObjectName(QLatin1String(name));
    m_topLevel << item;
    return item;
}

QMenu* TfmStart::menuFor(QAction* topLevel) {
    if (QMenu* menu = topLevel->menu())
        return menu;
    auto* menu = new QMenu(topLevel->text(), MainMenu1);
    menu->setObjectName(topLevel->objectName());
    menu->setProperty(kHelpContext, topLevel->property(kHelpContext));
    menu->setToolTipsVisible(Application::ShowHint());
    menu->installEventFilter(this);
    topLevel->setMenu(menu);
    // An item that acted by itself keeps its command as the first entry of its new menu.
    if (topLevel == mnExit) {
        addItem(menu, "mnExitCommand", topLevel->text(), &TfmStart::mnExitClick);
        menu->addSeparator();
    }
    return menu;
}

QAction* TfmStart::addItem(QMenu* menu, const char* name, const QString& caption,
                           void (TfmStart::*handler)(), int helpContext) {
    auto* item = new QAction(caption, menu);
    item->setObjectName(QLatin1String(name));
    if (helpContext)
        item->setProperty(kHelpContext, helpContext);
    connect(item, &QAction::triggered, this, handler);
    menu->addAction(item);
    return item;
}

void TfmStart::addModuleEntry(QMenu* modules, const char* name, const QString& caption,
                              void (TfmStart::*handler)(), int helpContext,
                              const char* downloadName) {
    QAction* entry = addItem(modules, name, caption, handler, helpContext);
    auto* download = new QMenu(caption, modules);
    download->setObjectName(QLatin1String(name));
    download->setProperty(kHelpContext, helpContext);
    download->installEventFilter(this);
    entry->setMenu(download);
    addItem(download, downloadName, QStringLiteral("Download free test version"),
            &TfmStart::mnDownloadfreeInvRegisterClick);
}

void TfmStart::createMainMenu() {
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setNativeMenuBar(false);
    MainMenu1->installEventFilter(this);
    setMenuBar(MainMenu1);

    const QString f1Hint = QStringLiteral("F1 for description");
    auto describe = [&](QAction* item) {
        item->setProperty(kHelpContext, 701);
        item->setStatusTip(f1Hint);
        item->setToolTip(f1Hint);
    };

    mnExit = addTopLevel("mnExit", QStringLiteral("&Exit"));
    connect(mnExit, &QAction::triggered, this, &TfmStart::mnExitClick);

    mnInvoicing = addTopLevel("mnInvoicing", QStringLiteral("&Invoicing"));
    describe(mnInvoicing);
    QMenu* invoicing = menuFor(mnInvoicing);
    mnWriteInvoice = addItem(invoicing, "mnWriteInvoice", QStringLiteral("Write invoice"),
                             &TfmStart::mnWriteInvoiceClick);
    mnFinance = addItem(invoicing, "mnFinance", QStringLiteral("Finance charging"),
                        &TfmStart::mnFinanceClick);
    mnFinance->setVisible(false);

    mnProducts = addTopLevel("mnProducts", QStringLiteral("&Products"));
    mnStock = addTopLevel("mnStock", QStringLiteral("&Stock"));
    mnCustomers = addTopLevel("mnCustomers", QStringLiteral("&Customers"));
    describe(mnCustomers);

    axes1 = addTopLevel("axes1", QStringLiteral("&Taxes"));
    QMenu* taxes = menuFor(axes1);
    mnTax = addItem(taxes, "mnTax", QStringLiteral("Tax rates"), &TfmStart::mnTaxClick);
    mnVAT = addItem(taxes, "mnVAT", QStringLiteral("VAT rates"), &TfmStart::mnVATClick);

    mnAccounting = addTopLevel("mnAccounting", QStringLiteral("&Accounting"));
    mnUtilities = addTopLevel("mnUtilities", QStringLiteral("&Utilities"));
    mnSales = addTopLevel("mnSales", QStringLiteral("C&RM"));
    mnSales->setVisible(false);

    mnSystem = addTopLevel("mnSystem", QStringLiteral("S&ystem"));
    QMenu* system = menuFor(mnSystem);
    addItem(system, "mnCompany", QStringLiteral("Company data"), &TfmStart::mnCompanyClick);
    addItem(system, "mnSetup", QStringLiteral("Program setup"), &TfmStart::mnSetupClick);
    addItem(system, "mnLanguage", QStringLiteral("Language setup"), &TfmStart::mnLanguageClick);
    addItem(system, "mnLogoIn", QStringLiteral("Logotype installation"), &TfmStart::mnLogoInClick);
    system->addSeparator();
    addItem(system, "mnBackup", QString::fromUtf8("Back up data…"), &TfmStart::mnBackupClick);
    addItem(system, "mnRestore", QString::fromUtf8("Restore…"), &TfmStart::mnRestoreClick);

    mnHelp = addTopLevel("mnHelp", QStringLiteral("&Help"));
    QMenu* help = menuFor(mnHelp);
    addItem(help, "mnAbotMRV", QStringLiteral("About Merovia"), &TfmStart::mnAbotMRVClick);
    addItem(help, "mnHelptexts", QStringLiteral("Help texts"), &TfmStart::mnHelptextsClick);
    addItem(help, "mnManual", QStringLiteral("Manual"), &TfmStart::mnManualClick);
    addItem(help, "mnFirst", QStringLiteral("First start"), &TfmStart::mnFirstClick);

    N1 = addTopLevel("N1", QString(15, QLatin1Char(' ')));

    Avalablemodules1 = addTopLevel("Avalablemodules1", QStringLiteral("Available &modules"));
    auto* modules = new ModulesMenu(Avalablemodules1->text(), MainMenu1);
    modules->setObjectName(Avalablemodules1->objectName());
    modules->setToolTipsVisible(Application::ShowHint());
    modules->installEventFilter(this);
    Avalablemodules1->setMenu(modules);
    addModuleEntry(modules, "mnInvoiceModule", QStringLiteral("Invoice register"),
                   &TfmStart::mnInvoiceModuleClick, 1002, "mnDownloadfreeInvRegister");
    addModuleEntry(modules, "mnCustomerModule", QStringLiteral("Customers"),
                   &TfmStart::mnCustomerModuleClick, 1001, "mnDownloadfreeCustomers");
    addModuleEntry(modules, "Mailinglists1", QStringLiteral("Mailing lists"),
                   &TfmStart::Mailinglists1Click, 1008, "mnDownloadfreeMailinglists");
    addModuleEntry(modules, "mnProductsModule", QStringLiteral("Products"),
                   &TfmStart::mnProductsModuleClick, 1003, "mnDownloadfreeProducts");
    addModuleEntry(modules, "Stock1", QStringLiteral("Stock"), &TfmStart::Stock1Click, 1004,
                   "mnDownloadfreeStock");
    addModuleEntry(modules, "mnAccountingModule", QStringLiteral("Accounting"),
                   &TfmStart::mnAccountingModuleClick, 1005, "mnDownloadfreeAccounting");
    addModuleEntry(modules, "mnPriceModule", QStringLiteral("Price calculation"),
                   &TfmStart::mnPriceModuleClick, 1006, "mnDownloadfreePrice");
    addModuleEntry(modules, "mnUtilitiesModule", QStringLiteral("Utilities"),
                   &TfmStart::mnUtilitiesModuleClick, 1007, "mnDownloadfreeUtilities");
}

QAction* TfmStart::topLevelItem(int position) const {
    return m_topLevel.value(position).data();
}

QMenu* TfmStart::topLevelMenu(int position) const {
    QAction* item = topLevelItem(position);
    return item ? item->menu() : nullptr;
}

void TfmStart::FormCreate() {
    // "Test print" of the design selection and of the free texts.
    printing::installTryInvoice();
    Service::Modules.clear();
    Service::Versions = QStringList{QLatin1String(Service::kBaseVersion)};

    Service::VAT = false;
    Service::Disc = false;

    Service::GetGlobals();
    if (!applicationDirOverride().isEmpty())
        Service::ApplicationDir = applicationDirOverride();
    Service::GetCompany();

    Service::VATcap = TaxCaptionForCountry(Service::Country);
    mnVAT->setVisible(VATRatesShownFor(Service::Country));

    HelpRouter1->setHelpFile(Service::filePath(Service::HelpDir, QStringLiteral("MRV.chm")));
    HelpRouter1->setHelpType(QStringLiteral("htHTMLhelp"));

    int screenWidth = screenWidthOverride();
    if (screenWidth < 0)
        screenWidth = QGuiApplication::primaryScreen()
                          ? QGuiApplication::primaryScreen()->size().width()
                          : kMinimumScreenWidth;
    if (screenWidth < kMinimumScreenWidth)
        ui::MessageDlg(QStringLiteral("This program does not work well\r\r"
                                      "with less screen resolution than 800 x 600"),
                       ui::MsgType::Warning, ui::MsgButton::OK);

    FormResize();
    setHelpContext(700);

    for (const QString& package :
         upfPackage::FindPackages(Service::ApplicationDir, QStringLiteral("MRV*.bpl")))
        upfPluginManager1->LoadPluginPackage(package);

    const ModuleMenuStates states = ModuleMenuStatesFor(Service::Modules);
    mnFinance->setVisible(states.financeVisible);
    mnAccounting->setEnabled(states.accountingEnabled);
    mnStock->setEnabled(states.stockEnabled);
    mnCustomers->setEnabled(states.customersEnabled);
    mnUtilities->setEnabled(states.utilitiesEnabled);
    mnProducts->setEnabled(states.productsEnabled);

    Service::UserDefaultValues();
}

void TfmStart::FormResize() {
    Image1->move((pnlMain->width() - Image1->width()) / 2,
                 (pnlMain->height() - Image1->height()) / 2);
}

void TfmStart::FormClose() {
    upfPluginManager1->UnloadAllPluginPackages();
    // Freeing the menu takes the add-ons' items with it. The menu may be the very one whose
    // item is closing the window, so it goes once that item's click is over.
    if (QMenuBar* menu = MainMenu1) {
        MainMenu1 = nullptr;
        m_topLevel.clear();
        menu->hide();
        menu->deleteLater();
    }
    // Only a running program has a message loop to end.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::quit();
}

void TfmStart::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TfmStart::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TfmStart::showContextHelp(const QObject* item) {
    int context = 0;
    for (const QObject* o = item; o && o != this && !context; o = o->parent())
        context = o->property(kHelpContext).toInt();
    HelpRouter1->ShowContext(context ? context : m_helpContext);
}

void TfmStart::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        showContextHelp(MainMenu1 ? MainMenu1->activeAction() : nullptr);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool TfmStart::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnlMain && event->type() == QEvent::Resize) {
        FormResize();
        return false;
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            // The item under the pointer, else the menu itself, names the topic.
            const QAction* item = menu->activeAction();
            showContextHelp(item ? static_cast<const QObject*>(item) : menu);
            return true;
        }
        if (auto* bar = qobject_cast<QMenuBar*>(watched)) {
            showContextHelp(bar->activeAction());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfmStart::runAddonCommand(QObject* plugin, TNotifyEvent onClick, QAction* item) {
    // A plug-in that is no longer registered has had its package unloaded: its handler is
    // gone with it.
    if (upfPluginManager1->IndexOfPlugin(plugin) < 0) {
        qCWarning(lcApp) << "Command of an unloaded add-on ignored:" << item->text();
        return;
    }
    try {
        onClick(item);
    } catch (const std::exception& error) {
        ui::ShowError(upfErrorMessage(error));
    } catch (...) {
        ui::ShowError(QStringLiteral("Unknown error."));
    }
}

void TfmStart::upfPluginManager1PluginRegistered(QObject*, QObject* plugin) {
    auto* p = Supports<IupfPlugin>(plugin);
    if (!p)
        return;
    m_pendingMenuPosition = upfOwnedText(p->GetMenuPosition());
    Service::Modules << upfOwnedText(p->GetModuleTag());
    Service::Versions << upfOwnedText(p->GetVersionText());
}

void TfmStart::upfPluginManager1NewCommand(QObject*, QObject* plugin, IupfCommand* command) {
    const TNotifyEvent onClick = command->GetOnClick();
    const QString caption = upfOwnedText(command->GetCaption());
    const int position = TopLevelMenuPosition(m_pendingMenuPosition);
    QAction* topLevel = topLevelItem(position);
    if (!topLevel)
        throw EMenuPositionError(QStringLiteral("The main menu has been closed."));
    QMenu* menu = menuFor(topLevel);
    auto* item = new QAction(caption, menu);
    item->setCheckable(false);
    item->setEnabled(true);
    connect(item, &QAction::triggered, this,
            [this, plugin, onClick, item] { runAddonCommand(plugin, onClick, item); });
    menu->addAction(item);
}

void TfmStart::mnExitClick() {
    if (ui::AskYesNo(QStringLiteral("Exit program?")))
        close();
}

// The windows behind these commands are wired in as they are built.
void TfmStart::mnWriteInvoiceClick() {
    writeInvoice(this);
}
void TfmStart::mnFinanceClick() {
    openFinanceCharging(this);
}
void TfmStart::mnTaxClick() {
    ui::execModal<TfmTaxes>(this);
}
void TfmStart::mnVATClick() {
    ui::execModal<TfmVATReg>(this);
}
void TfmStart::mnCompanyClick() {
    ui::execModal<TfmCompany>(this);
}
void TfmStart::mnSetupClick() {
    ui::execModal<TfmDocumentdata>(this);
}
void TfmStart::mnLanguageClick() {
    ui::execModal<TfmLanguage>(this);
}
void TfmStart::mnLogoInClick() {
    ui::execModal<TfmLogoCopy>(this);
}

void TfmStart::mnBackupClick() {
    const QString folder =
        ui::getExistingDirectory(this, QStringLiteral("Back up data"), QString());
    if (folder.isEmpty())
        return;
    if (db::DataBackup::holdsBackup(folder) &&
        !ui::AskYesNo(QStringLiteral("%1 holds a backup already. Replace it?")
                          .arg(QDir::toNativeSeparators(folder))))
        return;
    QString error;
    if (db::DataBackup::backUp(Service::DataDir, folder, &error))
        ui::ShowMessage(
            QStringLiteral("The data was backed up to %1.").arg(QDir::toNativeSeparators(folder)));
    else
        ui::ShowError(QStringLiteral("The data was not backed up. %1.").arg(error));
}

void TfmStart::mnRestoreClick() {
    const QString folder = ui::getExistingDirectory(this, QStringLiteral("Restore"), QString());
    if (folder.isEmpty())
        return;
    QString error;
    if (!db::DataBackup::checkCopy(folder, &error)) {
        ui::ShowError(QStringLiteral("Nothing was restored. %1.").arg(error));
        return;
    }
    if (!ui::AskYesNo(
            QStringLiteral("Replace the data in %1 by the backup in %2? The data it "
                           "replaces is kept in a folder of the data directory.")
                .arg(QDir::toNativeSeparators(Service::DataDir), QDir::toNativeSeparators(folder))))
        return;
    QString aside;
    if (db::DataBackup::restore(Service::DataDir, folder, &aside, &error))
        ui::ShowMessage(
            QStringLiteral("The data was restored from %1. The data it replaced is "
                           "in %2.")
                .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(aside)));
    else
        ui::ShowError(QStringLiteral("The data was not restored. %1.").arg(error));
}

void TfmStart::mnAbotMRVClick() {
    ui::execModal<TAboutBox>(this);
}

void TfmStart::mnHelptextsClick() {
    HelpRouter1->ShowContext(701);
}

void TfmStart::mnManualClick() {
    const QString directory = Service::HelpDir + QDir::separator();
    const QString manual = QStringLiteral("Merovia.pdf");
    if (Service::ExecuteFile(QStringLiteral("Acrord32"), manual, directory, 1) < 33 &&
        Service::ExecuteFile(QStringLiteral("Acrobat"), manual, directory, 1) < 33)
        ui::MessageDlg(QStringLiteral("There is no Acrobat program on this computer.\r\n"
                                      "The manual can not be read."),
                       ui::MsgType::Error, ui::MsgButton::OK);
}

void TfmStart::mnFirstClick() {
    HelpRouter1->ShowContext(380);
}

void TfmStart::mnInvoiceModuleClick() {
    HelpRouter1->ShowContext(1002);
}

void TfmStart::mnCustomerModuleClick() {
    HelpRouter1->ShowContext(1001);
}

void TfmStart::Mailinglists1Click() {
    HelpRouter1->ShowContext(1008);
}

void TfmStart::mnProductsModuleClick() {
    HelpRouter1->ShowContext(1003);
}

void TfmStart::Stock1Click() {
    HelpRouter1->ShowContext(1004);
}

void TfmStart::mnAccountingModuleClick() {
    HelpRouter1->ShowContext(1005);
}

void TfmStart::mnPriceModuleClick() {
    HelpRouter1->ShowContext(1006);
}

void TfmStart::mnUtilitiesModuleClick() {
    HelpRouter1->ShowContext(1007);
}

void TfmStart::mnDownloadfreeInvRegisterClick() {
    FWebAddress = QLatin1String(kWebAddress);
    ui::execModal<TfmInternet10>(this, FWebAddress);
}
