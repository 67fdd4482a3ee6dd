#include "db/backup.h"

#include "db/database.h"
#include "db/nocase.h"
#include "db/schema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace db {

namespace {

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool isDatabaseFile(const QString& name) {
    const QString db = QLatin1String(kDatabaseFile);
    return name == db || name == db + QLatin1String("-wal") || name == db + QLatin1String("-shm") ||
           name == db + QLatin1String("-journal") || name.startsWith(db + QLatin1Char('.'));
}

QString errorOf(sqlite3* h) {
    return h ? QString::fromUtf8(sqlite3_errmsg(h)) : QStringLiteral("out of memory");
}

// Copies the database of `from` into `to` page by page (both paths of database files).
bool copyDatabase(const QString& from, const QString& to, QString* error) {
    sqlite3* src = nullptr;
    sqlite3* dst = nullptr;
    bool ok = sqlite3_open_v2(from.toUtf8().constData(), &src, SQLITE_OPEN_READONLY, nullptr) ==
              SQLITE_OK;
    if (!ok && error)
        *error = QStringLiteral("Cannot read %1: %2").arg(nativePath(from), errorOf(src));
    if (ok) {
        registerNoCase(src);
        sqlite3_busy_timeout(src, 1500);
        ok = sqlite3_open_v2(to.toUtf8().constData(), &dst,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
        if (!ok && error)
            *error = QStringLiteral("Cannot write %1: %2").arg(nativePath(to), errorOf(dst));
    }
    if (ok) {
        registerNoCase(dst);
        sqlite3_busy_timeout(dst, 1500);
        sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
        ok = b != nullptr;
        int rc = SQLITE_OK;
        if (b) {
            // All pages in one step: the copy is one snapshot of the source.
            for (int tries = 0; tries < 15; ++tries) {
                rc = sqlite3_backup_step(b, -1);
                if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
                    break;
                sqlite3_sleep(100);
            }
            sqlite3_backup_finish(b);
            ok = rc == SQLITE_DONE;
        }
        if (!ok && error)
            *error = QStringLiteral("Cannot copy %1 to %2: %3")
                         .arg(nativePath(from), nativePath(to), errorOf(dst));
    }
    sqlite3_close(src);
    if (dst && sqlite3_close(dst) != SQLITE_OK && ok) {
        ok = false;
        if (error)
            *error = QStringLiteral("Cannot close %1").arg(nativePath(to));
    }
    return ok;
}

// Copies every file of `from` but the database into `to`, each replaced whole.
bool copySettingsFiles(const QString& from, const QString& to, QString* error) {
    const QFileInfoList files = QDir(from).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& f : files) {
        if (isDatabaseFile(f.fileName()))
            continue;
        const QString target = QDir(to).filePath(f.fileName());
        const QString partial = target + QLatin1String(".partial");
        QFile::remove(partial);
        if (!QFile::copy(f.filePath(), partial) ||
            (QFile::exists(target) && !QFile::remove(target)) || !QFile::rename(partial, target)) {
            QFile::remove(partial);
            if (error)
                *error = QStringLiteral("Cannot copy %1 to %2")
                             .arg(nativePath(f.filePath()), nativePath(to));
            return false;
        }
    }
    return true;
}

} // namespace

QString DataBackup::asideFolderName() {
    return QStringLiteral("Replaced ") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmmss"));
}

bool DataBackup::holdsBackup(const QString& folder) {
    return QFileInfo(Database::fileName(folder)).isFile();
}

bool DataBackup::backUp(const QString& dataDir, const QString& folder, QString* error) {
    const QString source = Database::fileName(dataDir);
    if (!QFileInfo(source).isFile()) {
        if (error)
            *error = QStringLiteral("There is no database in %1").arg(nativePath(dataDir));
        return false;
    }
    if (QFileInfo(folder).canonicalFilePath() == QFileInfo(dataDir).canonicalFilePath()) {
        if (error)
            *error = QStringLiteral("Choose a folder other than the data directory itself");
        return false;
    }
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("Cannot create the folder %1").arg(nativePath(folder));
        return false;
    }
    // The copy gets its name only when it is whole, so a failed backup never replaces a good one.
    const QString target = Database::fileName(folder);
    const QString partial = target + QLatin1String(".partial");
    QFile::remove(partial);
    if (!copyDatabase(source, partial, error)) {
        QFile::remove(partial);
        return false;
    }
    if ((QFile::exists(target) && !QFile::remove(target)) || !QFile::rename(partial, target)) {
        QFile::remove(partial);
        if (error)
            *error = QStringLiteral("Cannot write %1").arg(nativePath(target));
        return false;
    }
    return copySettingsFiles(dataDir, folder, error);
}

bool DataBackup::checkCopy(const QString& folder, QString* error) {
    const QString file = Database::fileName(folder);
    if (!QFileInfo(file).isFile()) {
        if (error)
            *error = QStringLiteral("There is no backup in %1 (%2 is missing)")
                         .arg(nativePath(folder), QLatin1String(kDatabaseFile));
        return false;
    }
    sqlite3* h = nullptr;
    QString verdict;
    if (sqlite3_open_v2(file.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        registerNoCase(h); // a copy made by an older version may use its collation
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(h, "PRAGMA application_id", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) == kApplicationId) {
            sqlite3_finalize(st);
            st = nullptr;
            QStringList lines;
            if (sqlite3_prepare_v2(h, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK)
                while (sqlite3_step(st) == SQLITE_ROW)
                    lines << QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            verdict = lines.isEmpty() ? errorOf(h) : lines.join(QLatin1String("; "));
        } else {
            verdict = QStringLiteral("not a Merovia database");
        }
        sqlite3_finalize(st);
    } else {
        verdict = errorOf(h);
    }
    sqlite3_close(h);
    if (verdict == QLatin1String("ok"))
        return true;
    if (error)
        *error = QStringLiteral("The backup %1 cannot be used: %2").arg(nativePath(file), verdict);
    return false;
}

bool DataBackup::restore(const QString& dataDir, const QString& folder, QString* asideFolder,
                         QString* error) {
    if (!checkCopy(folder, error))
        return false;
    if (Database::isOpen(dataDir)) {
        if (error)
            *error = QStringLiteral("Close every window that shows data before restoring");
        return false;
    }
    const QString live = Database::fileName(dataDir);
    if (QFileInfo(live).isFile()) {
        const QString aside = QDir(dataDir).filePath(asideFolderName());
        if (!backUp(dataDir, aside, error))
            return false;
        if (asideFolder)
            *asideFolder = aside;
    }
    // Into the file itself, in one transaction: other programs that have it open see either
    // the old data or the restored data.
    return copyDatabase(Database::fileName(folder), live, error) &&
           copySettingsFiles(folder, dataDir, error);
}

} // namespace db
