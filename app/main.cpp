// Program entry: starts things, nothing more.
#include "service/service.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Merovia"));
    Service::GetGlobals();
    Service::GetCompany();
    QMainWindow window;
    window.setObjectName(QStringLiteral("TfmStart"));
    window.setWindowTitle(QStringLiteral("Start"));
    window.show();
    Service::UserDefaultValues();
    return app.exec();
}
