#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A folder of the test's own with the add-on packages it chooses, removed afterwards.
class PackageFolder {
public:
    QString path() const { return m_dir.path(); }

    // Copies a package built for the tests ("MRVTwoCmd.bpl") into the folder.
    QString addTestPackage(const QString& name) const {
        return copy(QStringLiteral(MRV_TEST_ADDON_DIR), name);
    }
    // Copies a package shipped with the program ("MRVCust.bpl") into the folder.
    QString addShippedPackage(const QString& name) const {
        return copy(QStringLiteral(MRV_SHIPPED_ADDON_DIR), name);
    }
    QString addFile(const QString& name, const QByteArray& content) const {
        QFile file(QDir(path()).filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return file.fileName();
    }

private:
    QString copy(const QString& from, const QString& name) const {
        const QString target = QDir(path()).filePath(name);
        QFile::copy(QDir(from).filePath(name), target);
        return target;
    }

    QTemporaryDir m_dir;
};
