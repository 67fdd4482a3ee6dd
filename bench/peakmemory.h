#pragma once

// The resident memory peak of the benchmark process, from /proc/self.

#include <QByteArray>
#include <QFile>

// VmHWM in KiB; 0 where the kernel does not say.
inline long peakRssKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// Starts a new peak from the memory in use now, so that each phase reports its own.
inline void resetPeakRss() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}
