#pragma once

#include <QString>

namespace db {

// Backing up and restoring a data directory while the program runs: the database through
// SQLite's online backup (a consistent copy however busy the file is), then the settings
// files beside it (every other file of the directory, not its folders).
class DataBackup {
public:
    // Writes the copy into folder (made when missing). A database already in the folder is
    // replaced only once the new copy is whole. False with a message on failure.
    static bool backUp(const QString& dataDir, const QString& folder, QString* error);
    // Whether folder holds a database copy (and so a backup).
    static bool holdsBackup(const QString& folder);
    // Checks a copy before it is used: a database of ours that passes integrity_check.
    static bool checkCopy(const QString& folder, QString* error);
    // Checks the copy, keeps the data it replaces in a dated folder inside the data directory
    // (asideFolder), then writes the copy's database and settings files over the data
    // directory's. Refused while the program has the database open; nothing is replaced when
    // a step before the database fails.
    static bool restore(const QString& dataDir, const QString& folder, QString* asideFolder,
                        QString* error);
    // The folder restore keeps the replaced data in: "Replaced <date> <time>".
    static QString asideFolderName();
};

} // namespace db
