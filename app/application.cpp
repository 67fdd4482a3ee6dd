#include "app/application.h"

#include <QCoreApplication>

namespace Application {

namespace {
bool showHint = false;
}

void SetTitle(const QString& title) {
    QCoreApplication::setApplicationName(title);
}

QString Title() {
    return QCoreApplication::applicationName();
}

void SetShowHint(bool on) {
    showHint = on;
}

bool ShowHint() {
    return showHint;
}

} // namespace Application
