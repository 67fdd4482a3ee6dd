#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Add-on packages on this platform: shared libraries loaded by full path with the dynamic
// loader. A package names its units through the exported function kPackageUnitsSymbol
// (a null-terminated array of unit names, in the order their routines run), and exports each
// unit's register and unregister routine under the routine's name with every "@" and "$"
// replaced by "_", because an ELF symbol cannot contain "@".
namespace upfPackage {

using Handle = void*;

inline constexpr const char* kPackageUnitsSymbol = "MRVPackageUnits";

// Loads the library with every symbol resolved at once, so that a missing dependency is an
// error now rather than a crash later. Returns nullptr and the loader's reason on failure.
Handle Load(const QString& path, QString* error);
// The address of an exported symbol, or nullptr.
void* Resolve(Handle handle, const QByteArray& symbol);
// Returns false and the loader's reason when the library could not be closed.
bool Unload(Handle handle, QString* error = nullptr);

// The units the package lists, in its own order; none when it lists none.
QStringList Units(Handle handle);

// A unit name as routine names spell it: first letter upper case, the rest lower case.
QString UnitName(const QString& unit);
// "@Mrvcust@Register$qqrv" and "@Mrvcust@UnRegister$qqrv" for the unit MRVCust.
QString RegisterRoutineName(const QString& unit);
QString UnRegisterRoutineName(const QString& unit);
// The symbol a routine is exported under: "_Mrvcust_Register_qqrv".
QByteArray ExportedSymbol(const QString& routineName);

// Full paths of the files in the folder whose names match the pattern ("MRV*.bpl"; letter
// case ignored), sorted by name so that packages load in the same order on every run.
QStringList FindPackages(const QString& folder, const QString& pattern);

} // namespace upfPackage
