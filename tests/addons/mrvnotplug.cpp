// Registers an object that is not a plug-in.
#include "plugins/addon.h"

#include <memory>

namespace {
std::unique_ptr<QObject> notAPlugin;
}

MRV_PACKAGE_UNITS("MRVNotPlug")

MRV_REGISTER_ROUTINE(Mrvnotplug) {
    notAPlugin = std::make_unique<QObject>();
    upfServices().RegisterPlugin(notAPlugin.get());
}

MRV_UNREGISTER_ROUTINE(Mrvnotplug) {
    notAPlugin.reset();
}
