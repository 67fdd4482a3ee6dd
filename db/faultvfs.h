#pragma once

// Fault injection around every write of the table layer, for tests: a thin SQLite VFS over
// the default one that can make the n-th write, sync or truncate fail with an I/O error, as
// a full disk or a failing drive would. Connections opened while it is enabled use it.
namespace db {

class FaultInjection {
public:
    static void enable();
    static void disable();
    // nullptr (the default VFS) unless enabled.
    static const char* vfsName();
    // Lets n more writes through, then fails every write until disarm(); n < 0 never fails.
    static void failAfter(int n);
    static void disarm() { failAfter(-1); }
    // Writes, syncs and truncates seen since enable() or the last failAfter().
    static int writeCount();
};

} // namespace db
