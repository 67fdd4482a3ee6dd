#pragma once

#include <QString>

#include <functional>

// Depth-first search for a file by name below a start folder. The folder itself is checked
// first, then each subfolder in the order the file system lists them (not sorted), each one
// searched completely before the next; the first match wins. Hidden and system entries are not
// visited; folders that cannot be read are passed over, and a folder reached a second time
// (through a symbolic link) is not searched again, so link loops end.
class FileSearch {
public:
    explicit FileSearch(QString fileName);

    // Called after each folder entry; returning false cancels the search. The window uses it to
    // keep processing events during a long search.
    void setProgress(std::function<bool()> progress) { m_progress = std::move(progress); }
    // Cancels a running search at its next entry (for a progress callback or an event handler
    // run from it).
    void cancel() { m_cancelled = true; }

    // The folder holding the first match (without a trailing separator), or an empty text when
    // there is none or the search was cancelled.
    QString find(const QString& startFolder);
    bool wasCancelled() const { return m_cancelled; }
    // Folders looked into by the last search.
    int foldersSearched() const { return m_folders; }

private:
    QString m_fileName;
    std::function<bool()> m_progress;
    bool m_cancelled = false;
    int m_folders = 0;
};

// Copies the picture to Logo.bmp in the target folder, replacing an existing one. The old file
// stays as it was when the copy fails; the reason is then given in `error`.
bool installLogotype(const QString& source, const QString& targetFolder, QString* error);

inline constexpr const char* kLogotypeSearchName = "Logotype.bmp";
inline constexpr const char* kLogoFileName = "Logo.bmp";
