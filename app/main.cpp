// Program entry: starts things, nothing more.
#include "app/application.h"
#include "app/fmstart.h"
#include "plugins/upfintf.h"
#include "ui/dialogs.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    Application::SetTitle(QStringLiteral("Merovia"));
    Application::SetShowHint(true);
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
