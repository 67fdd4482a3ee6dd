#include "plugins/package.h"

#include <QDir>
#include <QFile>

#include <dlfcn.h>

namespace upfPackage {

namespace {
QString loaderError() {
    const char* reason = dlerror();
    return reason ? QString::fromLocal8Bit(reason) : QStringLiteral("unknown error");
}
} // namespace

Handle Load(const QString& path, QString* error) {
    dlerror();
    Handle handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle && error)
        *error = loaderError();
    return handle;
}

void* Resolve(Handle handle, const QByteArray& symbol) {
    if (!handle)
        return nullptr;
    return dlsym(handle, symbol.constData());
}

bool Unload(Handle handle, QString* error) {
    if (!handle)
        return true;
    dlerror();
    if (dlclose(handle) == 0)
        return true;
    if (error)
        *error = loaderError();
    return false;
}

QStringList Units(Handle handle) {
    using UnitsFunction = const char* const* (*)();
    auto units = reinterpret_cast<UnitsFunction>(Resolve(handle, kPackageUnitsSymbol));
    QStringList out;
    if (!units)
        return out;
    const char* const* list = units();
    // A package could list an absurd number by mistake (a missing terminator); stop early.
    for (int i = 0; list && list[i] && i < 1000; ++i)
        out << QString::fromUtf8(list[i]);
    return out;
}

QString UnitName(const QString& unit) {
    return unit.left(1).toUpper() + unit.mid(1).toLower();
}

QString RegisterRoutineName(const QString& unit) {
    return QLatin1Char('@') + UnitName(unit) + QStringLiteral("@Register$qqrv");
}

QString UnRegisterRoutineName(const QString& unit) {
    return QLatin1Char('@') + UnitName(unit) + QStringLiteral("@UnRegister$qqrv");
}

QByteArray ExportedSymbol(const QString& routineName) {
    QString name = routineName;
    name.replace(QLatin1Char('@'), QLatin1Char('_'));
    name.replace(QLatin1Char('$'), QLatin1Char('_'));
    return name.toUtf8();
}

QStringList FindPackages(const QString& folder, const QString& pattern) {
    const QDir dir(folder);
    const QStringList names = dir.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System,
                                            QDir::Name | QDir::IgnoreCase);
    QStringList out;
    for (const QString& name : names)
        out << dir.filePath(name);
    return out;
}

} // namespace upfPackage
