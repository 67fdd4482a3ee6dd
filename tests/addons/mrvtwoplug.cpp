// Two units, each registering one plug-in and adding one command: unit UnitA ("AlphaModule",
// menu position 2) and unit UNITB ("BetaModule", menu position 6). The odd spelling of the
// unit names checks that the program spells routine names its own way.
#include "plugins/addon.h"

#include <memory>

namespace {

std::unique_ptr<TupfPlugin> alpha;
std::unique_ptr<TupfPlugin> beta;

void ignoreClick(QObject*) {}

void registerWithCommand(std::unique_ptr<TupfPlugin>& plugin, const QString& tag,
                         const QString& position, const QString& caption) {
    plugin = std::make_unique<TupfPlugin>(tag, tag + QStringLiteral(" v. 2.0"), position);
    upfServices().RegisterPlugin(plugin.get());
    TupfCommand command(caption, MakeNotifyEvent<ignoreClick>());
    upfServices().AddCommand(plugin.get(), &command);
}

} // namespace

MRV_PACKAGE_UNITS("UnitA", "UNITB")

MRV_REGISTER_ROUTINE(Unita) {
    registerWithCommand(alpha, QStringLiteral("AlphaModule"), QStringLiteral("2"),
                        QStringLiteral("Alpha command"));
}

MRV_REGISTER_ROUTINE(Unitb) {
    registerWithCommand(beta, QStringLiteral("BetaModule"), QStringLiteral("6"),
                        QStringLiteral("Beta command"));
}

MRV_UNREGISTER_ROUTINE(Unita) {
    alpha.reset();
}

MRV_UNREGISTER_ROUTINE(Unitb) {
    beta.reset();
}
