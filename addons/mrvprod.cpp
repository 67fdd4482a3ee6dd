// The products add-on: module tag "ProdModule", commands under "&Products".
#include "plugins/addon.h"

#include <memory>

namespace {
std::unique_ptr<TupfPlugin> plugin;

// "Product register": the program's window of that name, shown modally and released.
void showRegister(QObject* sender) {
    upfShowWindow(QStringLiteral("TfmProdreg"),
                  QStringLiteral("The product register is not available."), sender);
}
} // namespace

MRV_PACKAGE_UNITS("MRVProd")

MRV_REGISTER_ROUTINE(Mrvprod) {
    // The package keeps its plug-in even when registering fails: the program may already
    // hold it.
    plugin = std::make_unique<TupfPlugin>(
        QStringLiteral("ProdModule"), QStringLiteral("Products v. 10.3.5.0"), QStringLiteral("2"));
    upfServices().RegisterPlugin(plugin.get());
    TupfCommand command(QStringLiteral("Product register"), MakeNotifyEvent<showRegister>());
    upfServices().AddCommand(plugin.get(), &command);
}

MRV_UNREGISTER_ROUTINE(Mrvprod) {
    plugin.reset();
}
