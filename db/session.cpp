#include "db/session.h"

#include "db/database.h"

namespace db {

Session::Session(const QString& name)
    : m_name(name) {}

void Session::AddPassword(const QString& password) {
    if (!m_passwords.contains(password))
        m_passwords << password;
}

void Session::RemovePassword(const QString& password) {
    m_passwords.removeAll(password);
}

void Session::StartTransaction(const QString& dataDir) {
    auto db = Database::open(dataDir);
    db->setLockRetries(LockRetryCount, LockWaitTime);
    db->StartTransaction();
}

void Session::Commit(const QString& dataDir) {
    auto db = Database::open(dataDir);
    db->setLockRetries(LockRetryCount, LockWaitTime);
    db->Commit();
}

void Session::Rollback(const QString& dataDir) {
    Database::open(dataDir)->Rollback();
}

bool Session::InTransaction(const QString& dataDir) const {
    try {
        return Database::open(dataDir)->InTransaction();
    } catch (...) {
        return false;
    }
}

Session& Session::defaultSession() {
    static Session s(QStringLiteral("Default"));
    return s;
}

} // namespace db
