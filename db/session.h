#pragma once

#include <QString>
#include <QStringList>

namespace db {

// A named session of the table engine: the table passwords it holds and its lock retries.
// Tables and queries run in a session; the default session holds no passwords. Sessions are
// cheap: every window makes its own.
class Session {
public:
    explicit Session(const QString& name = QString());

    QString SessionName() const { return m_name; }
    void setSessionName(const QString& name) { m_name = name; }

    void AddPassword(const QString& password);
    void RemovePassword(const QString& password);
    void RemoveAllPasswords() { m_passwords.clear(); }
    const QStringList& passwords() const { return m_passwords; }

    // Pessimistic locking: how often and how long to wait for a lock held by another program.
    int LockRetryCount = 15;
    int LockWaitTime = 100; // milliseconds

    // Transactions over every table of a data directory, whichever session opened them.
    void StartTransaction(const QString& dataDir);
    void Commit(const QString& dataDir);
    void Rollback(const QString& dataDir);
    bool InTransaction(const QString& dataDir) const;

    // The session used by tables and queries that were given none.
    static Session& defaultSession();

private:
    QString m_name;
    QStringList m_passwords;
};

} // namespace db
