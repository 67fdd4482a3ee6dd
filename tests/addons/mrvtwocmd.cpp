// One plug-in ("TwoCmdModule", menu position 9) with two commands. Each click counts itself on
// the menu item ("clicks"); an item marked "fail" makes the click raise an error. Its
// unregister routine asks the program to unregister the plug-in first, as careless add-ons do;
// with MRV_TEST_FAIL_UNREGISTER set it raises an error instead.
#include "plugins/addon.h"

#include <QVariant>

#include <memory>
#include <stdexcept>

namespace {

std::unique_ptr<TupfPlugin> plugin;

void countClick(QObject* sender) {
    if (sender->property("fail").toBool())
        throw std::runtime_error("The command failed.");
    sender->setProperty("clicks", sender->property("clicks").toInt() + 1);
}

} // namespace

MRV_PACKAGE_UNITS("MRVTwoCmd")

MRV_REGISTER_ROUTINE(Mrvtwocmd) {
    plugin = std::make_unique<TupfPlugin>(
        QStringLiteral("TwoCmdModule"), QStringLiteral("Two commands v. 1.0"), QStringLiteral("9"));
    upfServices().RegisterPlugin(plugin.get());
    TupfCommand first(QStringLiteral("First command"), MakeNotifyEvent<countClick>());
    TupfCommand second(QStringLiteral("Second command"), MakeNotifyEvent<countClick>());
    upfServices().AddCommand(plugin.get(), &first);
    upfServices().AddCommand(plugin.get(), &second);
}

MRV_UNREGISTER_ROUTINE(Mrvtwocmd) {
    if (qEnvironmentVariableIsSet("MRV_TEST_FAIL_UNREGISTER"))
        throw std::runtime_error("The customer list could not be saved.");
    upfServices().UnregisterPlugin(plugin.get());
    plugin.reset();
}
