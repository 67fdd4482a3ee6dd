#include "ui/help.h"

#include "service/service.h"
#include "ui/dialogs.h"
#include "ui/helpwindow.h"

#include <QFileInfo>

namespace ui {

namespace {
HelpHook& helpHook() {
    static HelpHook hook;
    return hook;
}
} // namespace

HelpHook setHelpHook(HelpHook hook) {
    HelpHook old = std::move(helpHook());
    helpHook() = std::move(hook);
    return old;
}

QString helpTopicPath(int context) {
    const QString name =
        context > 0 ? QStringLiteral("%1.html").arg(context) : QStringLiteral("index.html");
    const QString path = Service::filePath(Service::HelpDir, name);
    return QFileInfo::exists(path) ? path : QString();
}

void showHelp(int context) {
    if (helpHook()) {
        helpHook()(context);
        return;
    }
    const QString path = helpTopicPath(context);
    if (path.isEmpty()) {
        ShowError(QStringLiteral("There is no help text for this part of the program "
                                 "(help context %1).\r\nThe help folder is %2.")
                      .arg(context)
                      .arg(Service::HelpDir));
        return;
    }
    HelpWindow::open(path);
}

} // namespace ui
