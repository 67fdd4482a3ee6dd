#include "customers/commands.h"

#include "customers/tfmcustreg.h"
#include "customers/tfmprodreg.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QMenu>
#include <QWidget>

namespace customers {

QWidget* ownerOf(QObject* sender) {
    for (QObject* o = sender; o; o = o->parent()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && !qobject_cast<QMenu*>(w))
            return w->window();
    }
    return QApplication::activeWindow();
}

void openCustomerRegister(QObject* sender) {
    ui::execModal<TfmCustreg>(ownerOf(sender));
}

void openProductRegister(QObject* sender) {
    ui::execModal<TfmProdreg>(ownerOf(sender));
}

} // namespace customers
