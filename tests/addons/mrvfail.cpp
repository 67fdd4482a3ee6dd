// Registers its plug-in ("FailModule", menu position 3), then its register routine fails.
#include "plugins/addon.h"

#include <memory>
#include <stdexcept>

namespace {
std::unique_ptr<TupfPlugin> plugin;
}

MRV_PACKAGE_UNITS("MRVFail")

MRV_REGISTER_ROUTINE(Mrvfail) {
    plugin = std::make_unique<TupfPlugin>(QStringLiteral("FailModule"),
                                          QStringLiteral("Failing v. 1.0"), QStringLiteral("3"));
    upfServices().RegisterPlugin(plugin.get());
    throw std::runtime_error("The customer table could not be opened.");
}

MRV_UNREGISTER_ROUTINE(Mrvfail) {
    plugin.reset();
}
