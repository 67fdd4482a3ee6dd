#include "outputfile.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace pdf {

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

OutputFile::OutputFile(const QString& path)
    : m_file(path) {}

OutputFile::~OutputFile() {
    cancel();
}

bool OutputFile::open(QString* error) {
    // Checked before anything is written, on the path as the kernel will resolve it when the
    // file is put in place. Qt makes the temporary file in the folder of the cleaned path and,
    // on Linux, gives it no name until the commit links it in: "missing/../x" or a name too long
    // for the folder would otherwise only be refused then, after the whole document was drawn.
    const QString path = m_file.fileName();
    const qsizetype slash = path.lastIndexOf(u'/');
    const QByteArray folder = QFile::encodeName(slash < 0    ? QStringLiteral(".")
                                                : slash == 0 ? QStringLiteral("/")
                                                             : path.left(slash));
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0) {
        *error = systemError(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *error = systemError(ENOTDIR);
        return false;
    }
    const long nameMax = ::pathconf(folder.constData(), _PC_NAME_MAX);
    const qsizetype nameLength = QFile::encodeName(path.mid(slash + 1)).size();
    if ((nameMax > 0 && nameLength > nameMax) ||
        QFile::encodeName(QFileInfo(path).absoluteFilePath()).size() >= PATH_MAX) {
        *error = systemError(ENAMETOOLONG);
        return false;
    }
    if (!m_file.open(QIODevice::WriteOnly)) {
        *error = m_file.errorString();
        return false;
    }
    return true;
}

bool OutputFile::commit(QString* error) {
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError) {
        *error = m_file.errorString();
        cancel();
        return false;
    }
    if (::fsync(m_file.handle()) != 0 && errno != EINVAL) {
        *error = systemError(errno);
        cancel();
        return false;
    }
    if (!m_file.commit()) {
        *error = m_file.errorString();
        return false;
    }
    return true;
}

void OutputFile::cancel() {
    if (!m_file.isOpen())
        return;
    m_file.cancelWriting();
    m_file.commit(); // refused after cancelWriting(): drops the temporary file
}

} // namespace pdf
