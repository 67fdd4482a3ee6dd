#include "plugins/pluginmanager.h"

#include "plugins/logging.h"
#include "ui/dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>

Q_LOGGING_CATEGORY(lcPlugins, "merovia.plugins", QtCriticalMsg)

namespace {

const char* const kStandardServices = "TupfStandardApplicationServices";

// The manager finds its application services by name; the class is there before any window.
const bool standardServicesRegistered = [] {
    upfRegisterClass<TupfStandardApplicationServices>(QLatin1String(kStandardServices));
    return true;
}();

using Routine = void (*)();

Routine routine(upfPackage::Handle handle, const QString& routineName) {
    return reinterpret_cast<Routine>(
        upfPackage::Resolve(handle, upfPackage::ExportedSymbol(routineName)));
}

} // namespace

int TupfModuleList::IndexOfHandle(upfPackage::Handle handle) const {
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].handle == handle)
            return i;
    return -1;
}

TupfPluginManager::TupfPluginManager(QObject* owner)
    : QObject(owner)
    , m_extension(QStringLiteral("bpl"))
    , m_appServicesClass(QLatin1String(kStandardServices)) {
    Q_UNUSED(standardServicesRegistered);
}

TupfPluginManager::~TupfPluginManager() {
    // The plug-in objects belong to their packages; they are only let go here.
    m_plugins.clear();
    for (const auto& entry : m_modules.m_entries) {
        QString error;
        if (entry.handle && !upfPackage::Unload(entry.handle, &error))
            qCWarning(lcPlugins) << "Unloading" << entry.fileName << "failed:" << error;
    }
    m_modules.m_entries.clear();
    if (ApplicationServices == m_appServicesInterface)
        ApplicationServices = nullptr;
    delete m_appServices;
}

void TupfPluginManager::Loaded() {
    const TupfClassFactory factory = upfGetClass(m_appServicesClass);
    if (!factory)
        throw EupfAppServicesError(
            QStringLiteral("Specified Application Services class not found."));
    QObject* services = factory(this);
    auto* servicesInterface = Supports<IupfApplicationServices>(services);
    if (!servicesInterface) {
        delete services;
        throw EupfAppServicesError(QStringLiteral(
            "Specified Application Services do not support IupfApplicationServices"));
    }
    if (m_appServices) {
        if (ApplicationServices == m_appServicesInterface)
            ApplicationServices = nullptr;
        delete m_appServices;
    }
    m_appServices = services;
    m_appServicesInterface = servicesInterface;
    ApplicationServices = servicesInterface;
}

int TupfPluginManager::IndexOfPlugin(QObject* plugin) const {
    for (int i = 0; i < m_plugins.size(); ++i)
        if (m_plugins[i].object == plugin)
            return i;
    return -1;
}

int TupfPluginManager::PluginCount() {
    return static_cast<int>(m_plugins.size());
}

QObject* TupfPluginManager::Plugins(int index) {
    return m_plugins.at(index).object;
}

void TupfPluginManager::DoNewCommand(QObject* plugin, IupfCommand* command) {
    if (OnNewCommand)
        OnNewCommand(this, plugin, command);
}

void TupfPluginManager::DoBeforePackageLoaded(const QString& fileName, bool& allow) {
    allow = true;
    if (OnBeforePackageLoaded)
        OnBeforePackageLoaded(this, fileName, allow);
}

void TupfPluginManager::DoAfterPackageLoaded(const QString& fileName) {
    if (OnAfterPackageLoaded)
        OnAfterPackageLoaded(this, fileName);
}

void TupfPluginManager::DoPackageUnloaded(const QString& fileName) {
    if (OnPackageUnloaded)
        OnPackageUnloaded(this, fileName);
}

void TupfPluginManager::DoPluginRegistered(QObject* plugin) {
    if (OnPluginRegistered)
        OnPluginRegistered(this, plugin);
}

void TupfPluginManager::DoPluginUnRegistered(QObject* plugin) {
    if (OnPluginUnRegistered)
        OnPluginUnRegistered(this, plugin);
}

void TupfPluginManager::showError(const QString& message, const QString& fileName) const {
    qCWarning(lcPlugins) << fileName << message;
    ui::MessageDlg(QStringLiteral("%1\r\n\r\nPackage: %2").arg(message, fileName),
                   ui::MsgType::Warning, ui::MsgButton::OK, QStringLiteral("Error"));
}

void TupfPluginManager::LoadPluginPackage(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    if (StatusControl) {
        StatusControl->setProperty("text", QStringLiteral("Loading %1...").arg(name));
        StatusControl->repaint();
    }
    bool allow = true;
    DoBeforePackageLoaded(fileName, allow);
    if (!allow)
        return;
    if (m_withConfirm &&
        ui::MessageDlg(QStringLiteral("Load package \"%1\"?").arg(name), ui::MsgType::Confirmation,
                       ui::MsgButton::Yes | ui::MsgButton::No,
                       QStringLiteral("Confirm")) != ui::MsgButton::Yes)
        return;

    const upfPackage::Handle outerLoading = m_loadingModule;
    try {
        QString reason;
        const upfPackage::Handle handle = upfPackage::Load(fileName, &reason);
        if (!handle)
            throw EupfError(QStringLiteral("The package could not be loaded.\r\n%1").arg(reason));
        // A package whose register step fails stays loaded: plug-ins it registered before the
        // failure may still be in use.
        const QStringList units = upfPackage::Units(handle);
        m_loadingModule = handle;
        for (const QString& unit : units) {
            if (Routine reg = routine(handle, upfPackage::RegisterRoutineName(unit)))
                reg();
            else
                qCDebug(lcPlugins) << name << "has no register routine for unit" << unit;
        }
        m_loadingModule = outerLoading;
        m_modules.m_entries.append(TupfModuleList::Entry{name, handle, units});
        DoAfterPackageLoaded(fileName);
    } catch (const std::exception& error) {
        m_loadingModule = outerLoading;
        showError(upfErrorMessage(error), name);
    } catch (...) {
        m_loadingModule = outerLoading;
        showError(QStringLiteral("Unknown error."), name);
    }
}

void TupfPluginManager::UnloadPluginPackage(int index) {
    if (index < 0 || index >= m_modules.Count()) {
        qCWarning(lcPlugins) << "No loaded package at index" << index;
        return;
    }
    const upfPackage::Handle handle = m_modules.m_entries[index].handle;
    const QString fileName = m_modules.m_entries[index].fileName;
    const QStringList units = m_modules.m_entries[index].units;

    m_unloadingModules.append(handle);
    try {
        for (const QString& unit : units)
            if (Routine unreg = routine(handle, upfPackage::UnRegisterRoutineName(unit)))
                unreg();
    } catch (const std::exception& error) {
        showError(upfErrorMessage(error), fileName);
    } catch (...) {
        showError(QStringLiteral("Unknown error."), fileName);
    }
    m_unloadingModules.removeOne(handle);

    // An unregister routine may have unloaded other packages, this one included.
    const int now = m_modules.IndexOfHandle(handle);
    if (now < 0)
        return;
    QString error;
    if (!upfPackage::Unload(handle, &error))
        qCWarning(lcPlugins) << "Unloading" << fileName << "failed:" << error;
    m_modules.m_entries[now].handle = nullptr;
    m_modules.m_entries.removeAt(now);
    for (qsizetype i = m_plugins.size() - 1; i >= 0; --i)
        if (m_plugins[i].module == handle)
            m_plugins.removeAt(i);
    DoPackageUnloaded(fileName);
}

void TupfPluginManager::extractPlugin(int index) {
    if (index >= 0 && index < m_plugins.size())
        m_plugins.removeAt(index);
}

void TupfPluginManager::UnloadAllPluginPackages() {
    while (!m_plugins.isEmpty()) {
        const qsizetype before = m_plugins.size();
        const PluginEntry first = m_plugins.first();
        const int module = first.module ? m_modules.IndexOfHandle(first.module) : -1;
        if (module >= 0)
            UnloadPluginPackage(module);
        // A plug-in without a loaded package (its package failed half-way), or one that its
        // package's unregister routine put back, is let go so that the loop ends.
        if (m_plugins.size() >= before && !m_plugins.isEmpty() &&
            m_plugins.first().object == first.object)
            extractPlugin(0);
    }
}

void TupfPluginManager::LoadPluginFolder() {
    QString folder = m_pluginFolder;
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    for (const QString& path : upfPackage::FindPackages(folder, QStringLiteral("*.") + m_extension))
        LoadPluginPackage(path);
}

void TupfPluginManager::GetPluginNames(QStringList& list) {
    list.clear();
    for (const PluginEntry& entry : m_plugins)
        if (auto* plugin = Supports<IupfPlugin>(entry.object))
            list << upfOwnedText(plugin->GetModuleTag());
}

void TupfPluginManager::AddCommand(QObject* plugin, IupfCommand* command) {
    if (command)
        DoNewCommand(plugin, command);
}

void TupfPluginManager::registerPlugin(QObject* plugin) {
    if (!Supports<IupfPlugin>(plugin))
        throw EupfNotAPluginError(
            QStringLiteral("The object you have tried to register is not a plugin."));
    m_plugins.append(PluginEntry{plugin, m_loadingModule});
    DoPluginRegistered(plugin);
}

void TupfPluginManager::unregisterPlugin(QObject* plugin) {
    if (!Supports<IupfPlugin>(plugin))
        return;
    const int index = IndexOfPlugin(plugin);
    if (index < 0)
        return;
    const upfPackage::Handle module = m_plugins[index].module;
    // Called from its own package's unregister routine: that unload is already under way.
    if (module && m_unloadingModules.contains(module))
        return;
    DoPluginUnRegistered(plugin);
    const int moduleIndex = module ? m_modules.IndexOfHandle(module) : -1;
    if (moduleIndex >= 0)
        UnloadPluginPackage(moduleIndex);
    else
        extractPlugin(IndexOfPlugin(plugin));
}

TupfStandardApplicationServices::TupfStandardApplicationServices(QObject* owner)
    : TupfApplicationServices(owner)
    , m_manager(qobject_cast<TupfPluginManager*>(owner)) {
    if (!m_manager)
        throw EupfAppServicesError(
            QStringLiteral("Applications Services owner must be plugin manager"));
}

void TupfStandardApplicationServices::RegisterPlugin(QObject* plugin) {
    m_manager->registerPlugin(plugin);
}

void TupfStandardApplicationServices::UnregisterPlugin(QObject* plugin) {
    m_manager->unregisterPlugin(plugin);
}

void TupfStandardApplicationServices::AddCommand(QObject* plugin, IupfCommand* command) {
    m_manager->AddCommand(plugin, command);
}
