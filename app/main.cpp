// Program entry: starts things, nothing more.
#include "app/application.h"
#include "app/fmstart.h"
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
