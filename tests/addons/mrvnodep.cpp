// Needs a library that is not installed, so it cannot be loaded.
#include "plugins/addon.h"

#include <memory>

extern "C" int mrvtest_missing_value();

namespace {
std::unique_ptr<TupfPlugin> plugin;
}

MRV_PACKAGE_UNITS("MRVNoDep")

MRV_REGISTER_ROUTINE(Mrvnodep) {
    plugin =
        std::make_unique<TupfPlugin>(QStringLiteral("NoDepModule"),
                                     QString::number(mrvtest_missing_value()), QStringLiteral("2"));
    upfServices().RegisterPlugin(plugin.get());
}
