// The data directory tool: creates the database with every table, the shipped files and,
// on request, a demo company.
#include "db/datasetup.h"

#include "service/service.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

int usage() {
    QTextStream(stderr) << "Usage: mrvdata create DIR [--demo]\n"
                           "       mrvdata prepare [--demo]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Merovia"));
    QStringList args = app.arguments().mid(1);
    const bool demo = args.removeAll(QStringLiteral("--demo")) > 0;
    if (args.isEmpty())
        return usage();
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString error;
    if (args[0] == QLatin1String("create") && args.size() == 2) {
        const QString dir = QFileInfo(args[1]).absoluteFilePath();
        if (!db::createDataDir(dir, demo, &error)) {
            err << "mrvdata: " << error << "\n";
            return 1;
        }
        out << "Created " << QDir::toNativeSeparators(dir) << (demo ? " with the demo company" : "")
            << "\n";
        return 0;
    }
    if (args[0] == QLatin1String("prepare") && args.size() == 1) {
        // The same preparation the program runs on its first start.
        Service::setDataDirPreparer(
            [demo](const QString& dir, QString* e) { return db::prepareDataDir(dir, demo, e); });
        Service::GetGlobals();
        if (!db::prepareDataDir(Service::DataDir, demo, &error)) {
            err << "mrvdata: " << error << "\n";
            return 1;
        }
        out << "Data directory " << QDir::toNativeSeparators(Service::DataDir) << " is ready\n";
        return 0;
    }
    return usage();
}
