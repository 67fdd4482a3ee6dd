#pragma once

// What every fuzz target shares. A target is one source file defining LLVMFuzzerTestOneInput
// (and, when it needs Qt or files, LLVMFuzzerInitialize). The same source is linked with
// libFuzzer in the clang build (`make fuzz`) and with replay.cpp in the normal build, where CTest
// runs it over its checked-in corpus and a few seconds of simple mutations.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {

// A broken promise of the code under test: says which, and stops the run so that the input
// is kept as a crash.
[[noreturn]] inline void fail(const char* what, const QString& detail = QString()) {
    QByteArray shown = detail.toUtf8();
    shown.replace('\0', "\\0");
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n%s\n", what, shown.constData());
    std::fflush(stderr);
    std::abort();
}

inline void check(bool condition, const char* what, const QString& detail = QString()) {
    if (!condition)
        fail(what, detail);
}

// A scratch folder for the whole run, in memory when the system has /dev/shm (the writers
// sync every file, which costs nothing there).
inline const QString& scratchDir() {
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        auto d = std::make_unique<QTemporaryDir>(base + QStringLiteral("/mrvfuzz-XXXXXX"));
        if (!d->isValid())
            fail("cannot create a scratch folder");
        return d;
    }();
    static const QString path = dir->path();
    return path;
}

// Qt's platform for the targets that measure text: no display needed.
inline void useOffscreenPlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Takes leading bytes off the input as small numbers that steer a target (which table, which
// font); 0 when the input is used up.
class Reader {
public:
    Reader(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size) {}
    uint8_t byte() {
        if (m_pos >= m_size)
            return 0;
        return m_data[m_pos++];
    }
    QByteArray rest() const {
        return QByteArray(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(m_size - m_pos));
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace fuzz
