// The invoice register add-on: module tag "InvModule", commands under "&Invoicing".
#include "plugins/addon.h"

#include <memory>

namespace {
std::unique_ptr<TupfPlugin> plugin;

// "Invoice register": the program's window of that name, shown modally and released.
void showRegister(QObject* sender) {
    upfShowWindow(QStringLiteral("TfmInvReg"),
                  QStringLiteral("The invoice register is not available."), sender);
}
} // namespace

MRV_PACKAGE_UNITS("MRVInv")

MRV_REGISTER_ROUTINE(Mrvinv) {
    // The package keeps its plug-in even when registering fails: the program may already
    // hold it.
    plugin = std::make_unique<TupfPlugin>(QStringLiteral("InvModule"),
                                          QStringLiteral("Invoice register v. 10.3.5.0"),
                                          QStringLiteral("1"));
    upfServices().RegisterPlugin(plugin.get());
    TupfCommand command(QStringLiteral("Invoice register"), MakeNotifyEvent<showRegister>());
    upfServices().AddCommand(plugin.get(), &command);
}

MRV_UNREGISTER_ROUTINE(Mrvinv) {
    plugin.reset();
}
