#include "service/savefile.h"
#include "service/service.h"
#include "service/settingsfile.h"

#include "support/fulldisk.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Names in a folder other than the filler of a full disk: a failed save leaves nothing behind.
QStringList leftovers(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    names.removeAll(QStringLiteral(".filler"));
    return names;
}

} // namespace

TEST(SaveFile, AFullDiskKeepsTheOldFileAndSaysWhy) {
    FullDisk disk;
    ASSERT_TRUE(disk.isValid()) << disk.reason().toStdString();
    const QByteArray old = "[Company]\nCompanyName=Old and Sons\n";
    const QString path = disk.writeFile(QStringLiteral("MRV.ini"), old);
    TempDataDir source;
    const QByteArray pictureBytes(70000, 'b');
    const QString picture = source.writeFile(QStringLiteral("Logotype.bmp"), pictureBytes);
    disk.fill();
    SCOPED_TRACE(disk.kind().toStdString());

    // The settings file, as the program saves it.
    SettingsFile ini(path);
    ini.writeString(QStringLiteral("Company"), QStringLiteral("CompanyName"),
                    QStringLiteral("New"));
    QString error;
    EXPECT_FALSE(ini.updateFile(&error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot write ") + path + QStringLiteral(": ")))
        << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("No space left on device")) ||
                error.contains(QStringLiteral("File too large")))
        << error.toStdString();
    EXPECT_TRUE(ini.isModified());
    EXPECT_EQ(disk.readFile(QStringLiteral("MRV.ini")), old);

    // The helper itself, in one call and step by step.
    EXPECT_FALSE(SaveFile::writeFile(path, QByteArray(100, 'x'), &error));
    EXPECT_EQ(disk.readFile(QStringLiteral("MRV.ini")), old);
    {
        SaveFile file(path);
        ASSERT_TRUE(file.open()) << file.errorString().toStdString();
        // A small write only fills Qt's buffer; the disk refuses it at the flush.
        file.write("short");
        EXPECT_FALSE(file.commit());
        EXPECT_TRUE(file.failed());
        EXPECT_FALSE(file.write("more")) << "no write is taken after a failure";
    }
    EXPECT_EQ(disk.readFile(QStringLiteral("MRV.ini")), old);
    EXPECT_EQ(leftovers(disk.path()), QStringList{QStringLiteral("MRV.ini")});

    // A copy over an existing file.
    EXPECT_FALSE(SaveFile::copyFile(picture, path, &error));
    EXPECT_EQ(disk.readFile(QStringLiteral("MRV.ini")), old);

    // Once there is room again the same calls succeed.
    disk.release();
    EXPECT_TRUE(ini.updateFile(&error)) << error.toStdString();
    EXPECT_EQ(disk.readFile(QStringLiteral("MRV.ini")), QByteArray("[Company]\nCompanyName=New\n"));
    EXPECT_TRUE(SaveFile::copyFile(picture, path, &error)) << error.toStdString();
    EXPECT_TRUE(disk.readFile(QStringLiteral("MRV.ini")) == pictureBytes);
}

TEST(SaveFile, NothingChangesUntilCommitAndACancelledFileLeavesNoTrace) {
    TempDataDir dir;
    const QString path = dir.writeFile(QStringLiteral("a.ini"), "old");
    {
        SaveFile file(path);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write(QByteArray(200000, 'n')));
        EXPECT_EQ(dir.readFile(QStringLiteral("a.ini")), QByteArray("old"));
        file.cancel();
        EXPECT_FALSE(file.commit());
    }
    {
        SaveFile dropped(path); // destroyed without commit
        ASSERT_TRUE(dropped.open());
        dropped.write("half");
    }
    EXPECT_EQ(dir.readFile(QStringLiteral("a.ini")), QByteArray("old"));
    EXPECT_EQ(leftovers(dir.path()), QStringList{QStringLiteral("a.ini")});

    SaveFile file(path);
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write("new"));
    ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
    EXPECT_EQ(dir.readFile(QStringLiteral("a.ini")), QByteArray("new"));
}

TEST(SaveFile, FilesThatCannotBeCreatedFailAtOpenWithTheirName) {
    TempDataDir dir;
    const QString missing = dir.file(QStringLiteral("no/such/folder/x.ini"));
    SaveFile file(missing);
    EXPECT_FALSE(file.open());
    EXPECT_TRUE(file.errorString().startsWith(QStringLiteral("Cannot write ") + missing))
        << file.errorString().toStdString();
    QString error;
    EXPECT_FALSE(SaveFile::writeFile(QString(), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(SaveFile::copyFile(dir.file(QStringLiteral("none")), dir.file("b"), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot read "))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("b"))));
}

TEST(SaveFile, ShippedFilesAreNotLeftHalfCopiedOnAFullDisk) {
    FullDisk disk;
    ASSERT_TRUE(disk.isValid()) << disk.reason().toStdString();
    const QString data = disk.file(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkpath(data));
    disk.fill();
    QString error;
    EXPECT_FALSE(Service::copyShippedDataFiles(data, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Cannot copy "))) << error.toStdString();
    // A file that exists is never copied again, so a damaged copy would stay for good.
    EXPECT_EQ(QDir(data).entryList(QDir::Files | QDir::Hidden), QStringList());
}
