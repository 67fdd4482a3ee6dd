#pragma once

#include <QObject>
#include <QString>
#include <QUuid>

#include <exception>

// The contract between the program and its add-on packages: the interfaces both sides
// implement, the one global through which an add-on reaches the program, the registry of
// classes by name and the errors of the framework. Add-ons include this through
// plugins/addon.h and link mrv_plugins, nothing else of the program.

// A click handler: a routine of the add-on and the object it works on, like a bound method.
// It is a pair of plain pointers on purpose: the program keeps it in a menu item that may
// outlive the package's code by a moment (the menu is freed after the packages are
// unloaded), so destroying it must never run code of the package.
struct TNotifyEvent {
    using Code = void (*)(void* data, QObject* sender);
    Code code = nullptr;
    void* data = nullptr;

    bool assigned() const { return code != nullptr; }
    void operator()(QObject* sender) const {
        if (code)
            code(data, sender);
    }
};

// A handler that calls object->Method(sender).
template <auto Method, class T>
TNotifyEvent MakeNotifyEvent(T* object) {
    return TNotifyEvent{
        [](void* data, QObject* sender) { (static_cast<T*>(data)->*Method)(sender); }, object};
}

// A handler that calls Function(sender).
template <void (*Function)(QObject*)>
TNotifyEvent MakeNotifyEvent() {
    return TNotifyEvent{[](void*, QObject* sender) { Function(sender); }, nullptr};
}

// A plug-in: what one add-on module tells the program about itself. Texts only.
class IupfPlugin {
public:
    static constexpr QUuid IID{0x68512B75, 0x5F1F, 0x4550, 0xBC, 0x12, 0xF9,
                               0x72,       0x53,   0xAF,   0x60, 0x69};
    virtual ~IupfPlugin();

    // Top-level menu position (a whole number as text, 0 to 12) that receives the plug-in's
    // commands.
    virtual QString GetMenuPosition() = 0;
    // The module tag other parts of the program test for, such as "CustModule".
    virtual QString GetModuleTag() = 0;
    // A description of the module; the program does not show it.
    virtual QString GetDescription() = 0;
    // The line the About box lists, such as "Customers v. 10.3.5.0".
    virtual QString GetVersionText() = 0;
};

// A command a plug-in offers: it becomes one menu item.
class IupfCommand {
public:
    static constexpr QUuid IID{0x3F6C1E2A, 0x7B4D, 0x4E59, 0x9A, 0x21, 0x5C,
                               0x0D,       0x8E,   0x47,   0xB3, 0x16};
    virtual ~IupfCommand();

    virtual QString GetName() = 0;    // not used by the program
    virtual QString GetCaption() = 0; // the menu item's caption
    virtual QString GetHint() = 0;    // not used by the program
    virtual int GetImageIndex() = 0;  // not used by the program
    virtual TNotifyEvent GetOnClick() = 0;
};

// What the program offers to add-ons, published through the global ApplicationServices.
class IupfApplicationServices {
public:
    static constexpr QUuid IID{0xBA650FD3, 0x8F40, 0x47FF, 0x9E, 0x2F, 0x8D,
                               0x56,       0x0C,   0x84,   0x70, 0x36};
    virtual ~IupfApplicationServices();

    // The object must implement IupfPlugin, else EupfNotAPluginError is raised.
    virtual void RegisterPlugin(QObject* plugin) = 0;
    // Unloads the package of a registered plug-in.
    virtual void UnregisterPlugin(QObject* plugin) = 0;
    // Offers a command of a registered plug-in; the program reads what it needs during the
    // call, so the command object stays the add-on's.
    virtual void AddCommand(QObject* plugin, IupfCommand* command) = 0;
};

// The interface I of an object, or nullptr when the object does not implement it.
template <class I>
I* Supports(QObject* object) {
    return dynamic_cast<I*>(object);
}
// Whether the object implements the interface with the given identifier.
bool Supports(QObject* object, const QUuid& iid);

// The program's application services while a plug-in manager is set up, else nullptr.
extern IupfApplicationServices* ApplicationServices;

// Base of the application services classes: a component owned by the plug-in manager.
class TupfApplicationServices : public QObject, public IupfApplicationServices {
    Q_OBJECT
public:
    explicit TupfApplicationServices(QObject* owner);
};

// ---- Errors ----------------------------------------------------------------------------

class EupfError : public std::exception {
public:
    explicit EupfError(const QString& message);
    const QString& Message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

class EupfAppServicesError : public EupfError {
public:
    using EupfError::EupfError;
};

class EupfNotAPluginError : public EupfError {
public:
    using EupfError::EupfError;
};

// The message of any error that reaches the program from an add-on or a handler.
QString upfErrorMessage(const std::exception& error);

// ---- Classes by name ---------------------------------------------------------------------

// Creates an object of a registered class with its owner.
using TupfClassFactory = QObject* (*)(QObject* owner);

void upfRegisterClass(const QString& name, TupfClassFactory factory);
void upfUnRegisterClass(const QString& name);
// The factory registered under the name (letter case ignored), or nullptr.
TupfClassFactory upfGetClass(const QString& name);

template <class T>
void upfRegisterClass(const QString& name) {
    upfRegisterClass(name, [](QObject* owner) -> QObject* { return new T(owner); });
}

// ---- Texts from add-ons ---------------------------------------------------------------------

// A copy of a text that shares no memory with the add-on that produced it: a text literal of
// a package lives in the package's code and is gone once the package is unloaded.
QString upfOwnedText(const QString& text);
