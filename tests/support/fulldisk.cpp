#include "support/fulldisk.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace {

constexpr const char* kFiller = ".filler";

struct rlimit savedLimit;
void (*savedHandler)(int) = SIG_DFL;

} // namespace

FullDisk::FullDisk() {
    if (!m_dir.isValid()) {
        m_reason = QStringLiteral("no temporary folder: %1").arg(m_dir.errorString());
        return;
    }
    m_valid = true;
    if (::geteuid() != 0) {
        m_reason = QStringLiteral("not the superuser, so no tmpfs can be mounted");
        return;
    }
    const QByteArray where = QFile::encodeName(m_dir.path());
    if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=1m,mode=0700") != 0) {
        m_reason = QStringLiteral("mounting a tmpfs failed: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_mounted = true;
}

FullDisk::~FullDisk() {
    release();
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

QString FullDisk::kind() const {
    return m_mounted ? QStringLiteral("tmpfs") : QStringLiteral("file-size limit");
}

QString FullDisk::file(const QString& name) const {
    return QDir(m_dir.path()).filePath(name);
}

QString FullDisk::writeFile(const QString& name, const QByteArray& content) const {
    const QString path = file(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

QByteArray FullDisk::readFile(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void FullDisk::fill() {
    if (m_filled || !m_valid)
        return;
    m_filled = true;
    if (m_mounted) {
        const int fd = ::open(QFile::encodeName(file(QLatin1String(kFiller))).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0)
            return;
        static char block[65536];
        for (;;) {
            const ssize_t n = ::write(fd, block, sizeof block);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break; // ENOSPC: not one more page
        }
        ::close(fd);
        return;
    }
    // Beyond the limit the kernel sends SIGXFSZ, which would end the test instead of failing
    // the write.
    savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &savedLimit);
    struct rlimit none = savedLimit;
    none.rlim_cur = 0;
    m_limited = ::setrlimit(RLIMIT_FSIZE, &none) == 0;
}

void FullDisk::release() {
    if (!m_filled)
        return;
    m_filled = false;
    if (m_mounted)
        QFile::remove(file(QLatin1String(kFiller)));
    if (m_limited) {
        ::setrlimit(RLIMIT_FSIZE, &savedLimit);
        std::signal(SIGXFSZ, savedHandler);
        m_limited = false;
    }
}
