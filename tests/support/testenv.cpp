#include "testenv.h"

#include "service/service.h"

#include <QFile>

TempDataDir::TempDataDir() {
    Service::resetGlobals();
    Service::DataDir = m_dir.path();
    Service::Country = QStringLiteral("GB");
}

TempDataDir::~TempDataDir() {
    Service::resetGlobals();
}

QString TempDataDir::file(const QString& name) const {
    return m_dir.filePath(name);
}

QString TempDataDir::writeFile(const QString& name, const QByteArray& content) const {
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return f.fileName();
}

QByteArray TempDataDir::readFile(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
