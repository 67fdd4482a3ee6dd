#include "settings/designlist.h"

#include "service/service.h"
#include "service/settingsfile.h"
#include "service/textroutines.h"

namespace DesignList {

std::vector<Entry> read(const QString& dataDir) {
    const SettingsFile file(Service::filePath(dataDir, QLatin1String(kFileName)));
    std::vector<Entry> entries;
    QStringList seen;
    for (const QString& line : file.readSectionValues(QLatin1String(kSection))) {
        Entry e;
        e.line = line;
        // Blanks around the "=" are not part of the name or the file name.
        e.name = RemoveAfter(line, QStringLiteral("=")).trimmed();
        e.base = RemoveBefore(line, QStringLiteral("=")).trimmed();
        if (seen.contains(e.name, Qt::CaseInsensitive))
            continue;
        seen << e.name;
        entries.push_back(e);
    }
    return entries;
}

QString designFilePath(const QString& dataDir, const QString& base) {
    return Service::filePath(dataDir, base + QStringLiteral(".ini"));
}

} // namespace DesignList
