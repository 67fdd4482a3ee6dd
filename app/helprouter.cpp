#include "app/helprouter.h"

#include "ui/help.h"

THelpRouter::THelpRouter(QObject* parent)
    : QObject(parent) {}

void THelpRouter::ShowContext(int context) {
    ui::showHelp(context);
}
