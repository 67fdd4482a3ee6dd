#pragma once

#include "printers.h"

#include <QString>
#include <QTemporaryDir>

// A fresh data directory for one test: Service::DataDir points at it while the object lives,
// and every service global is reset before and after.
class TempDataDir {
public:
    TempDataDir();
    ~TempDataDir();
    TempDataDir(const TempDataDir&) = delete;
    TempDataDir& operator=(const TempDataDir&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const;
    // Writes a text file (UTF-8) into the directory and returns its path.
    QString writeFile(const QString& name, const QByteArray& content) const;
    QByteArray readFile(const QString& name) const;

private:
    QTemporaryDir m_dir;
};
