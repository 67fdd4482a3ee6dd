// Program entry: starts things, nothing more.
#include "app/application.h"
#include "app/fmstart.h"
#include "app/startcheck.h"
#include "db/datasetup.h"
#include "plugins/upfintf.h"
#include "service/service.h"
#include "ui/dialogs.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    Application::SetTitle(QStringLiteral("Merovia"));
    Application::SetShowHint(true);
    // A missing data directory is created with its (empty) tables on the first start.
    Service::setDataDirPreparer(
        [](const QString& dir, QString* error) { return db::prepareDataDir(dir, false, error); });
    // A data directory the program cannot use, or one another copy has open, ends the start
    // with a message; nothing in it is changed.
    Service::GetGlobals();
    std::unique_ptr<startup::InstanceLock> instanceLock;
    if (!startup::startChecks(Service::DataDir, &instanceLock))
        return 1;
    std::unique_ptr<TfmStart> mainWindow;
    try {
        mainWindow = std::make_unique<TfmStart>();
    } catch (const std::exception& error) {
        // Without its application services the program cannot load its add-ons.
        ui::ShowError(upfErrorMessage(error));
        return 1;
    }
    mainWindow->show();
    return application.exec();
}
