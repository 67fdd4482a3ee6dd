// The customers add-on: module tag "CustModule", commands under "&Customers".
#include "plugins/addon.h"

#include <memory>

namespace {
std::unique_ptr<TupfPlugin> plugin;

// "Customer register": the program's window of that name, shown modally and released.
void showRegister(QObject* sender) {
    upfShowWindow(QStringLiteral("TfmCustreg"),
                  QStringLiteral("The customer register is not available."), sender);
}
} // namespace

MRV_PACKAGE_UNITS("MRVCust")

MRV_REGISTER_ROUTINE(Mrvcust) {
    // The package keeps its plug-in even when registering fails: the program may already
    // hold it.
    plugin = std::make_unique<TupfPlugin>(
        QStringLiteral("CustModule"), QStringLiteral("Customers v. 10.3.5.0"), QStringLiteral("4"));
    upfServices().RegisterPlugin(plugin.get());
    TupfCommand command(QStringLiteral("Customer register"), MakeNotifyEvent<showRegister>());
    upfServices().AddCommand(plugin.get(), &command);
}

MRV_UNREGISTER_ROUTINE(Mrvcust) {
    plugin.reset();
}
