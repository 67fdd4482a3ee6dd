#pragma once

// Everything an add-on package needs: the interfaces, ready-made plug-in and command classes,
// and the macros that export a package's units and routines under the names the program
// looks for. See docs/addons.md.

#include "plugins/upfintf.h"

#include <QMetaObject>
#include <QtGlobal>

#include <memory>

#define MRV_ADDON_EXPORT extern "C" Q_DECL_EXPORT

// Lists the package's units, in the order their routines are to run:
//     MRV_PACKAGE_UNITS("MRVCust")
#define MRV_PACKAGE_UNITS(...)                                                                     \
    MRV_ADDON_EXPORT const char* const* MRVPackageUnits() {                                        \
        static const char* const units[] = {__VA_ARGS__, nullptr};                                 \
        return units;                                                                              \
    }

// The register and unregister routine of one unit. Unit is the unit name spelled with its
// first letter upper case and all others lower case (unit "MRVCust" is Mrvcust); the
// routines are exported as _Mrvcust_Register_qqrv and _Mrvcust_UnRegister_qqrv.
//     MRV_REGISTER_ROUTINE(Mrvcust) { ... }
#define MRV_REGISTER_ROUTINE(Unit) MRV_ADDON_EXPORT void _##Unit##_Register_qqrv()
#define MRV_UNREGISTER_ROUTINE(Unit) MRV_ADDON_EXPORT void _##Unit##_UnRegister_qqrv()

// The program's application services; raises EupfAppServicesError when the program has none
// (the package was loaded by something other than the plug-in manager).
inline IupfApplicationServices& upfServices() {
    if (!ApplicationServices)
        throw EupfAppServicesError(QStringLiteral("The program offers no application services."));
    return *ApplicationServices;
}

// Shows the program's window of a registered class modally (its slot "execute") and releases
// it; raises EupfAppServicesError with `missing` when the program has no such class. This is
// how an add-on opens a window without linking the program's libraries.
inline void upfShowWindow(const QString& className, const QString& missing, QObject* sender) {
    const TupfClassFactory create = upfGetClass(className);
    if (!create)
        throw EupfAppServicesError(missing);
    std::unique_ptr<QObject> window(create(sender));
    QMetaObject::invokeMethod(window.get(), "execute");
}

// A plug-in that only describes itself: module tag, version line and menu position.
class TupfPlugin : public QObject, public IupfPlugin {
public:
    TupfPlugin(const QString& moduleTag, const QString& versionText, const QString& menuPosition,
               const QString& description = QString())
        : m_moduleTag(moduleTag)
        , m_versionText(versionText)
        , m_menuPosition(menuPosition)
        , m_description(description) {}

    QString GetMenuPosition() override { return m_menuPosition; }
    QString GetModuleTag() override { return m_moduleTag; }
    QString GetDescription() override { return m_description; }
    QString GetVersionText() override { return m_versionText; }

private:
    QString m_moduleTag;
    QString m_versionText;
    QString m_menuPosition;
    QString m_description;
};

// A command with a caption and a click handler.
class TupfCommand : public IupfCommand {
public:
    TupfCommand(const QString& caption, TNotifyEvent onClick, const QString& hint = QString())
        : m_caption(caption)
        , m_hint(hint)
        , m_onClick(onClick) {}

    QString GetName() override { return m_caption; }
    QString GetCaption() override { return m_caption; }
    QString GetHint() override { return m_hint; }
    int GetImageIndex() override { return -1; }
    TNotifyEvent GetOnClick() override { return m_onClick; }

private:
    QString m_caption;
    QString m_hint;
    TNotifyEvent m_onClick;
};
