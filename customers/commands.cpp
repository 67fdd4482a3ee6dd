#include "customers/commands.h"

#include "customers/tfmcustreg.h"
#include "customers/tfmprodreg.h"
#include "plugins/upfintf.h"

#include <QApplication>
#include <QMenu>
#include <QWidget>

namespace customers {

namespace {

// The add-ons "CustModule" and "ProdModule" open the registers by these names.
const bool registered = [] {
    upfRegisterClass(QStringLiteral("TfmCustreg"),
                     [](QObject* sender) -> QObject* { return new TfmCustreg(ownerOf(sender)); });
    upfRegisterClass(QStringLiteral("TfmProdreg"),
                     [](QObject* sender) -> QObject* { return new TfmProdreg(ownerOf(sender)); });
    return true;
}();

} // namespace

QWidget* ownerOf(QObject* sender) {
    (void)registered;
    for (QObject* o = sender; o; o = o->parent()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && !qobject_cast<QMenu*>(w))
            return w->window();
    }
    return QApplication::activeWindow();
}

} // namespace customers
