// One plug-in that adds one command ("Positioned command"). Its module tag and menu position
// come from MRV_TEST_TAG and MRV_TEST_POSITION, "BadPosModule" and "13" (no such menu) when
// they are not set.
#include "plugins/addon.h"

#include <memory>

namespace {

std::unique_ptr<TupfPlugin> plugin;

void ignoreClick(QObject*) {}

QString setting(const char* name, const char* fallback) {
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariable(name)
                                           : QString::fromLatin1(fallback);
}

} // namespace

MRV_PACKAGE_UNITS("MRVBadPos")

MRV_REGISTER_ROUTINE(Mrvbadpos) {
    const QString tag = setting("MRV_TEST_TAG", "BadPosModule");
    plugin = std::make_unique<TupfPlugin>(tag, tag + QStringLiteral(" v. 1.0"),
                                          setting("MRV_TEST_POSITION", "13"));
    upfServices().RegisterPlugin(plugin.get());
    TupfCommand command(QStringLiteral("Positioned command"), MakeNotifyEvent<ignoreClick>());
    upfServices().AddCommand(plugin.get(), &command);
}

MRV_UNREGISTER_ROUTINE(Mrvbadpos) {
    plugin.reset();
}
