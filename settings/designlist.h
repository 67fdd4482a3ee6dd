#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The designs offered for printed documents: section "Invoice" of Design.ini in the data
// directory, one line per design, "display name=base name of the design file". The file is
// data that comes with the program and is only read.
namespace DesignList {

inline constexpr const char* kFileName = "Design.ini";
inline constexpr const char* kSection = "Invoice";

struct Entry {
    QString name; // the display name (the text before the first "=")
    QString line; // the whole line, "name=base"
    QString base; // the design file's name without ".ini" (the text after the first "=")
};

// The entries in file order. A name that comes again (ignoring case, as settings keys match)
// is left out, as reading the file by name would never reach it; a missing or empty file
// gives no entries.
std::vector<Entry> read(const QString& dataDir);

// The design file of a base name: the data directory, the separator, base + ".ini".
QString designFilePath(const QString& dataDir, const QString& base);

} // namespace DesignList
