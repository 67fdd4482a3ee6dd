#include "service/savefile.h"

#include <QFile>

#include <unistd.h>

#include <cerrno>
#include <cstring>

SaveFile::SaveFile(const QString& fileName)
    : m_fileName(fileName)
    , m_file(fileName) {}

SaveFile::~SaveFile() {
    cancel();
}

bool SaveFile::fail(const QString& reason) {
    if (m_error.isEmpty())
        m_error = QStringLiteral("Cannot write %1: %2").arg(m_fileName, reason);
    cancel();
    return false;
}

bool SaveFile::open() {
    m_error.clear();
    if (m_fileName.isEmpty())
        return fail(QStringLiteral("no file name was given"));
    if (!m_file.open(QIODevice::WriteOnly))
        return fail(m_file.errorString());
    return true;
}

bool SaveFile::write(QByteArrayView bytes) {
    if (failed())
        return false;
    if (!m_file.isOpen())
        return fail(QStringLiteral("the file is not open"));
    if (bytes.isEmpty())
        return true;
    const qint64 written = m_file.write(bytes.data(), bytes.size());
    if (written != bytes.size() || m_file.error() != QFileDevice::NoError)
        return fail(m_file.errorString());
    return true;
}

bool SaveFile::commit() {
    if (failed())
        return false;
    if (!m_file.isOpen())
        return fail(QStringLiteral("the file is not open"));
    // The buffer's last bytes meet the disk here: this is where a full disk shows.
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
        return fail(m_file.errorString());
    // Some file systems only refuse the bytes when they are made durable.
    if (m_file.handle() >= 0 && ::fsync(m_file.handle()) != 0 && errno != EINVAL)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (!m_file.commit()) {
        const QString reason = m_file.errorString();
        m_error = QStringLiteral("Cannot write %1: %2").arg(m_fileName, reason);
        return false;
    }
    return true;
}

void SaveFile::cancel() {
    if (!m_file.isOpen())
        return;
    m_file.cancelWriting();
    m_file.commit(); // refused after cancelWriting(): drops the temporary file
}

bool SaveFile::writeFile(const QString& fileName, QByteArrayView bytes, QString* error) {
    SaveFile file(fileName);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

bool SaveFile::copyFile(const QString& source, const QString& target, QString* error) {
    auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
    SaveFile out(target);
    if (!out.open())
        return fail(out.errorString());
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return fail(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
        if (!out.write(chunk))
            return fail(out.errorString());
    }
    if (!out.commit())
        return fail(out.errorString());
    return true;
}
