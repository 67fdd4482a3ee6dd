#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// What the program checks before its main window opens: that the data directory can be used,
// and that no other copy of the program has it open. Nothing here deletes, replaces or repairs
// a file of the data directory: a damaged database stays as it was found.
namespace startup {

struct DataDirVerdict {
    enum Kind {
        Usable,
        // The data can be read, but nothing can be saved (a read-only folder, a full disk).
        ReadOnly,
        // The program cannot work with it (a file instead of a folder, no database, a file that
        // is not a database, a damaged one).
        Unusable,
    };
    Kind kind = Usable;
    QString message; // for the user; empty when usable
};

// Checks a prepared data directory (see Service::GetGlobals): the folder, the database file's
// header and size, opening it, and a trial write.
DataDirVerdict checkDataDir(const QString& dir);

// The lock file MRV.lck in the data directory, held while the program runs. A lock left by a
// program that no longer runs is taken over.
class InstanceLock {
public:
    enum State {
        Held,
        HeldElsewhere, // another running program holds it
        NotPossible,   // the lock file cannot be written (a read-only folder)
    };
    explicit InstanceLock(const QString& dir);

    State state() const { return m_state; }
    // "process 4711 on host workstation" for HeldElsewhere.
    QString holder() const { return m_holder; }

private:
    QLockFile m_lock;
    State m_state = NotPossible;
    QString m_holder;
};

// Runs the checks for the data directory and tells the user (through ui/) what is wrong. False
// when the program must end: the directory is unusable, or another copy has it open. On true,
// *lock holds the instance lock (or none where it cannot be written) for the program's life.
bool startChecks(const QString& dataDir, std::unique_ptr<InstanceLock>* lock);

} // namespace startup
