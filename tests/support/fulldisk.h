#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A folder on a file system that refuses further bytes, for tests of what a writer does when
// the disk is full.
//
// Run as the superuser it is a real 1 MB tmpfs mounted in a temporary folder: files put there
// before fill() keep their bytes, and fill() writes a filler file until the kernel answers "No
// space left on device". Where mounting is not possible (an ordinary user, a container without
// the right), it is an ordinary temporary folder, and fill() lowers this process's file-size
// limit (RLIMIT_FSIZE) to nothing, so every write to a regular file fails in the kernel with
// "File too large" until release(). Either way the writer meets a real failing write() beneath
// Qt's buffers, not a simulated one.
class FullDisk {
public:
    FullDisk();
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // False only when not even a temporary folder could be made; reason() says why.
    bool isValid() const { return m_valid; }
    QString reason() const { return m_reason; }
    // "tmpfs" or "file-size limit": what fill() does here, for test messages.
    QString kind() const;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const;
    // Writes a file while there is room (call before fill()); returns its path.
    QString writeFile(const QString& name, const QByteArray& content) const;
    QByteArray readFile(const QString& name) const;

    // From now on writes fail.
    void fill();
    // Writes work again (the filler is removed, the limit restored).
    void release();

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
    bool m_mounted = false;
    bool m_limited = false;
    bool m_filled = false;
    QString m_reason;
};
