#pragma once

#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

// Replaces a file whole or not at all; every file the program writes goes through it. The bytes
// go to a temporary file beside the target, which takes the target's name only when every
// write, the final flush and the sync to the disk succeeded. On any failure the temporary file
// is dropped, an existing file keeps every byte it had, and errorString() gives the reason in
// words a user can be shown ("Cannot write /data/MRV.ini: No space left on device").
//
// QSaveFile alone is not enough: its writes are buffered, so a full disk shows only when the
// buffer is flushed, and Qt 6.4's commit() renames the temporary file over the old one even
// when that last flush failed. A full disk then turned a settings file into an empty one and
// reported success.
class SaveFile {
public:
    explicit SaveFile(const QString& fileName);
    // Drops a file that was opened and not committed.
    ~SaveFile();
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    const QString& fileName() const { return m_fileName; }

    // Creates the temporary file. False when the folder is missing or not writable, or the
    // existing file is read-only.
    bool open();
    // Appends bytes. False from the first failure on; the file is then already dropped.
    bool write(QByteArrayView bytes);
    // Flushes and syncs the temporary file and puts it in the target's place. False, with the
    // old file untouched, when anything failed on the way.
    bool commit();
    // Drops what was written; the old file stays as it was.
    void cancel();

    bool failed() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }

    // The whole content of a file in one call.
    static bool writeFile(const QString& fileName, QByteArrayView bytes, QString* error = nullptr);
    // Copies `source` to `target`, replacing an existing target only with a complete copy.
    static bool copyFile(const QString& source, const QString& target, QString* error = nullptr);

private:
    bool fail(const QString& reason);

    QString m_fileName;
    QSaveFile m_file;
    QString m_error;
};
