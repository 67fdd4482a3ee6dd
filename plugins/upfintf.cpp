#include "plugins/upfintf.h"

#include <QHash>

IupfApplicationServices* ApplicationServices = nullptr;

IupfPlugin::~IupfPlugin() = default;
IupfCommand::~IupfCommand() = default;
IupfApplicationServices::~IupfApplicationServices() = default;

bool Supports(QObject* object, const QUuid& iid) {
    if (iid == IupfPlugin::IID)
        return Supports<IupfPlugin>(object) != nullptr;
    if (iid == IupfCommand::IID)
        return Supports<IupfCommand>(object) != nullptr;
    if (iid == IupfApplicationServices::IID)
        return Supports<IupfApplicationServices>(object) != nullptr;
    return false;
}

TupfApplicationServices::TupfApplicationServices(QObject* owner)
    : QObject(owner) {}

EupfError::EupfError(const QString& message)
    : m_message(message)
    , m_utf8(message.toUtf8()) {}

QString upfErrorMessage(const std::exception& error) {
    if (const auto* own = dynamic_cast<const EupfError*>(&error))
        return own->Message();
    return QString::fromUtf8(error.what());
}

namespace {
QHash<QString, TupfClassFactory>& classes() {
    static QHash<QString, TupfClassFactory> registry;
    return registry;
}
} // namespace

void upfRegisterClass(const QString& name, TupfClassFactory factory) {
    classes().insert(name.toLower(), factory);
}

void upfUnRegisterClass(const QString& name) {
    classes().remove(name.toLower());
}

TupfClassFactory upfGetClass(const QString& name) {
    return classes().value(name.toLower(), nullptr);
}

QString upfOwnedText(const QString& text) {
    return QString(text.constData(), text.size());
}
