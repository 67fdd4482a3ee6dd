#include "settings/logotype.h"

#include "service/savefile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <memory>
#include <vector>

namespace {

// Subfolders only: looking for the name inside an ordinary file can never succeed. Without
// QDir::Hidden and QDir::System, dot folders, devices, sockets and dangling links are left out.
constexpr QDir::Filters kFolderFilter = QDir::Dirs | QDir::NoDotAndDotDot;

QString normalizedStart(const QString& folder) {
    const QString trimmed = folder.trimmed();
    if (trimmed.isEmpty())
        return QDir::rootPath();
    return QDir::cleanPath(QDir::fromNativeSeparators(trimmed));
}

} // namespace

FileSearch::FileSearch(QString fileName)
    : m_fileName(std::move(fileName)) {}

QString FileSearch::find(const QString& startFolder) {
    m_cancelled = false;
    m_folders = 0;
    const QString start = normalizedStart(startFolder);

    auto holdsMatch = [this](const QString& folder) {
        const QFileInfo candidate(QDir(folder).filePath(m_fileName));
        return candidate.exists() && !candidate.isDir();
    };

    ++m_folders;
    if (holdsMatch(start))
        return start;
    QSet<QString> visited;
    visited.insert(QFileInfo(start).canonicalFilePath());

    // An explicit stack instead of recursion: deep trees cannot exhaust the call stack.
    std::vector<std::unique_ptr<QDirIterator>> open;
    open.push_back(std::make_unique<QDirIterator>(start, kFolderFilter));
    while (!open.empty()) {
        QDirIterator& it = *open.back();
        if (!it.hasNext()) {
            open.pop_back();
            continue;
        }
        const QString entry = it.next();
        const QString canonical = it.fileInfo().canonicalFilePath();
        if (!canonical.isEmpty() && !visited.contains(canonical)) {
            visited.insert(canonical);
            ++m_folders;
            if (holdsMatch(entry))
                return entry;
            open.push_back(std::make_unique<QDirIterator>(entry, kFolderFilter));
        }
        if (m_progress && !m_progress())
            m_cancelled = true;
        if (m_cancelled)
            return QString();
    }
    return QString();
}

bool installLogotype(const QString& source, const QString& targetFolder, QString* error) {
    if (source.isEmpty()) {
        if (error)
            *error = QStringLiteral("No logotype has been found to install.");
        return false;
    }
    // Written beside the target and renamed over it, so a failed copy leaves the old logotype.
    return SaveFile::copyFile(source, QDir(targetFolder).filePath(QLatin1String(kLogoFileName)),
                              error);
}
