#pragma once

#include "plugins/upfintf.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

class ImageBox;
class QAction;
class QMenu;
class QMenuBar;
class THelpRouter;
class TupfPluginManager;

// The main window: the main menu that leads to every function of the program, the product
// picture, and the plug-in manager that loads the add-on packages at start-up and unloads
// them when the window closes.
class TfmStart : public QMainWindow {
    Q_OBJECT
public:
    // Sets up the window and runs FormCreate. Raises EupfAppServicesError when the plug-in
    // manager cannot create its application services.
    explicit TfmStart(QWidget* parent = nullptr);
    ~TfmStart() override;

    int helpContext() const { return m_helpContext; }
    void setHelpContext(int context) { m_helpContext = context; }
    // The address of the maker's page for add-on modules.
    QString webAddress() const { return FWebAddress; }

    TupfPluginManager* pluginManager() const { return upfPluginManager1; }
    // Top-level item of the main menu at a position (0 to 12), and its drop-down menu once it
    // has one; nullptr after the menu has been freed.
    QAction* topLevelItem(int position) const;
    QMenu* topLevelMenu(int position) const;

    // Test seams: the folder searched for add-on packages instead of the program's own (it
    // becomes ApplicationDir), and the screen width to judge instead of the real one.
    static void setApplicationDirOverride(const QString& dir);
    static void setScreenWidthOverride(int width);

public slots:
    void FormResize();

    void mnExitClick();
    void mnWriteInvoiceClick();
    void mnFinanceClick();
    void mnTaxClick();
    void mnVATClick();
    void mnCompanyClick();
    void mnSetupClick();
    void mnLanguageClick();
    void mnLogoInClick();
    void mnBackupClick();
    void mnRestoreClick();
    void mnAbotMRVClick();
    void mnHelptextsClick();
    void mnManualClick();
    void mnFirstClick();
    void mnInvoiceModuleClick();
    void mnCustomerModuleClick();
    void Mailinglists1Click();
    void mnProductsModuleClick();
    void Stock1Click();
    void mnAccountingModuleClick();
    void mnPriceModuleClick();
    void mnUtilitiesModuleClick();
    void mnDownloadfreeInvRegisterClick();

    void upfPluginManager1PluginRegistered(QObject* Sender, QObject* plugin);
    // Raises EMenuPositionError for a pending menu position that is not 0 to 12; the plug-in
    // manager reports it.
    void upfPluginManager1NewCommand(QObject* Sender, QObject* plugin, IupfCommand* command);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createComponents();
    void createMainMenu();
    void FormCreate();
    void FormClose();

    QAction* addTopLevel(const char* name, const QString& caption);
    QMenu* menuFor(QAction* topLevel);
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     void (TfmStart::*handler)(), int helpContext = 0);
    void addModuleEntry(QMenu* modules, const char* name, const QString& caption,
                        void (TfmStart::*handler)(), int helpContext, const char* downloadName);
    void runAddonCommand(QObject* plugin, TNotifyEvent onClick, QAction* item);
    // The help context of the item, or of the nearest menu above it that has one, else the
    // window's own.
    void showContextHelp(const QObject* item);

    int m_helpContext = 0;
    QString FWebAddress;
    // The menu position named by the plug-in registered last; its commands go there.
    QString m_pendingMenuPosition;

    QWidget* pnlMain = nullptr;
    ImageBox* Image1 = nullptr;
    QPointer<QMenuBar> MainMenu1;
    QList<QPointer<QAction>> m_topLevel;
    QObject* dbsVersions = nullptr;
    THelpRouter* HelpRouter1 = nullptr;
    TupfPluginManager* upfPluginManager1 = nullptr;

    QAction* mnExit = nullptr;
    QAction* mnInvoicing = nullptr;
    QAction* mnWriteInvoice = nullptr;
    QAction* mnFinance = nullptr;
    QAction* mnProducts = nullptr;
    QAction* mnStock = nullptr;
    QAction* mnCustomers = nullptr;
    QAction* axes1 = nullptr;
    QAction* mnTax = nullptr;
    QAction* mnVAT = nullptr;
    QAction* mnAccounting = nullptr;
    QAction* mnUtilities = nullptr;
    QAction* mnSales = nullptr;
    QAction* mnSystem = nullptr;
    QAction* mnHelp = nullptr;
    QAction* N1 = nullptr;
    QAction* Avalablemodules1 = nullptr;
};

// The one main window of the program, while it exists.
extern TfmStart* fmStart;
