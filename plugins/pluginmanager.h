#pragma once

#include "plugins/package.h"
#include "plugins/upfintf.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class TupfPluginManager;

using TupfBeforePackageLoadedEvent =
    std::function<void(QObject* sender, const QString& fileName, bool& allow)>;
using TupfPackageEvent = std::function<void(QObject* sender, const QString& fileName)>;
using TupfPluginEvent = std::function<void(QObject* sender, QObject* plugin)>;
using TupfNewCommandEvent =
    std::function<void(QObject* sender, QObject* plugin, IupfCommand* command)>;

// The loaded packages: file name without folder, the module's handle (nullptr once
// unloaded) and the units the package lists.
class TupfModuleList {
public:
    int Count() const { return static_cast<int>(m_entries.size()); }
    QString Strings(int index) const { return m_entries.at(index).fileName; }
    upfPackage::Handle Objects(int index) const { return m_entries.at(index).handle; }
    QStringList Units(int index) const { return m_entries.at(index).units; }
    int IndexOfHandle(upfPackage::Handle handle) const;

private:
    friend class TupfPluginManager;
    struct Entry {
        QString fileName;
        upfPackage::Handle handle = nullptr;
        QStringList units;
    };
    QList<Entry> m_entries;
};

// Loads and unloads add-on packages, keeps the packages and the plug-ins they register, and
// turns the add-ons' requests into events of its owner.
//
// Every plug-in remembers the package that registered it. When each package registers
// exactly one plug-in, entry i of the module list and entry i of the plug-in list belong to
// the same package; when one registers none or several, or fails half-way, the remembered
// package still says which plug-ins go with which module, so unloading never takes the wrong
// package or runs past the end of a list.
class TupfPluginManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString PluginFolder READ PluginFolder WRITE setPluginFolder)
    Q_PROPERTY(bool WithConfirm READ WithConfirm WRITE setWithConfirm)
    Q_PROPERTY(QString Extension READ Extension WRITE setExtension)
    Q_PROPERTY(QString AppServicesClass READ AppServicesClass WRITE setAppServicesClass)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)
public:
    explicit TupfPluginManager(QObject* owner = nullptr);
    ~TupfPluginManager() override;

    QString PluginFolder() const { return m_pluginFolder; }
    void setPluginFolder(const QString& folder) { m_pluginFolder = folder; }
    bool WithConfirm() const { return m_withConfirm; }
    void setWithConfirm(bool on) { m_withConfirm = on; }
    QString Extension() const { return m_extension; }
    void setExtension(const QString& extension) { m_extension = extension; }
    QString AppServicesClass() const { return m_appServicesClass; }
    void setAppServicesClass(const QString& name) { m_appServicesClass = name; }
    QString Version() const { return QStringLiteral("6.0.4"); }
    void setVersion(const QString&) {}

    // A control whose "text" shows which package is loading; none by default.
    QPointer<QWidget> StatusControl;

    TupfBeforePackageLoadedEvent OnBeforePackageLoaded;
    TupfPackageEvent OnAfterPackageLoaded;
    TupfPackageEvent OnPackageUnloaded;
    TupfPluginEvent OnPluginRegistered;
    TupfPluginEvent OnPluginUnRegistered;
    TupfNewCommandEvent OnNewCommand;

    const TupfModuleList& ModuleList() const { return m_modules; }
    QObject* AppServices() const { return m_appServices; }
    // Index of a registered plug-in, -1 when it is not (or no longer) registered.
    int IndexOfPlugin(QObject* plugin) const;

    // Creates the application services (the class named by AppServicesClass) and publishes
    // them in ApplicationServices. Raises EupfAppServicesError when that is impossible.
    virtual void Loaded();

    virtual int PluginCount();
    virtual QObject* Plugins(int index);
    virtual void DoNewCommand(QObject* plugin, IupfCommand* command);
    virtual void DoBeforePackageLoaded(const QString& fileName, bool& allow);
    virtual void DoAfterPackageLoaded(const QString& fileName);
    virtual void DoPackageUnloaded(const QString& fileName);
    virtual void DoPluginRegistered(QObject* plugin);
    virtual void DoPluginUnRegistered(QObject* plugin);
    // Loads one package and runs its register routines. Every failure is shown in a message
    // box captioned "Error" and the call returns normally.
    virtual void LoadPluginPackage(const QString& fileName);
    // Runs the unregister routines of module `index`, unloads it and drops its plug-ins.
    virtual void UnloadPluginPackage(int index);
    // Unloads the packages of all registered plug-ins; packages that registered none stay
    // loaded until the manager is destroyed.
    virtual void UnloadAllPluginPackages();
    virtual void LoadPluginFolder();
    virtual void GetPluginNames(QStringList& list);
    virtual void AddCommand(QObject* plugin, IupfCommand* command);

private:
    friend class TupfStandardApplicationServices;

    void registerPlugin(QObject* plugin);
    void unregisterPlugin(QObject* plugin);
    void extractPlugin(int index);
    void showError(const QString& message, const QString& fileName) const;

    struct PluginEntry {
        QObject* object = nullptr;
        // The package that registered the plug-in; nullptr when none was being loaded.
        upfPackage::Handle module = nullptr;
    };

    QString m_pluginFolder;
    bool m_withConfirm = false;
    QString m_extension;
    QString m_appServicesClass;
    TupfModuleList m_modules;
    QList<PluginEntry> m_plugins;
    QObject* m_appServices = nullptr;
    IupfApplicationServices* m_appServicesInterface = nullptr;
    upfPackage::Handle m_loadingModule = nullptr;
    QList<upfPackage::Handle> m_unloadingModules;
};

// The application services the program uses: every request goes to the owning manager.
class TupfStandardApplicationServices : public TupfApplicationServices {
    Q_OBJECT
public:
    // Raises EupfAppServicesError unless the owner is a TupfPluginManager.
    explicit TupfStandardApplicationServices(QObject* owner);

    void RegisterPlugin(QObject* plugin) override;
    void UnregisterPlugin(QObject* plugin) override;
    void AddCommand(QObject* plugin, IupfCommand* command) override;

private:
    TupfPluginManager* m_manager;
};
