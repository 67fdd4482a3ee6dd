#include "service/settingsfile.h"

#include "support/testenv.h"

#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

TEST(SettingsFile, MissingAndEmptyFilesReadAsDefaults) {
    TempDataDir dir;
    SettingsFile missing(dir.file(QStringLiteral("none.ini")));
    EXPECT_FALSE(missing.existed());
    EXPECT_EQ(missing.readInteger(QStringLiteral("Invoice"), QStringLiteral("Copies"), 1), 1);
    EXPECT_EQ(
        missing.readString(QStringLiteral("Invoice"), QStringLiteral("X"), QStringLiteral("d")),
        QStringLiteral("d"));
    dir.writeFile(QStringLiteral("empty.ini"), "");
    SettingsFile empty(dir.file(QStringLiteral("empty.ini")));
    EXPECT_TRUE(empty.existed());
    EXPECT_TRUE(empty.readBool(QStringLiteral("Invoice"), QStringLiteral("VAT"), true));
    EXPECT_TRUE(empty.sections().isEmpty());
}

TEST(SettingsFile, OddContentReadsWithoutError) {
    TempDataDir dir;
    QByteArray content = "loose line before any section\r\n"
                         "Orphan=1\r\n"
                         "[invoice]\r\n"
                         "copies=3\r\n"
                         "Copies=9\r\n"
                         "no equals sign here\r\n"
                         "Terms= 14 \r\n"
                         "Bad=12abc\r\n"
                         "VAT=-2\r\n"
                         "Off=0\r\n"
                         "Name=A=B\r\n"
                         "Date=24.12.2026\r\n"
                         "Huge=";
    content += QByteArray(200000, 'z');
    content += "\r\n[Company]\r\nName=Caf\xe9 M\xfcller \x80\r\n";
    dir.writeFile(QStringLiteral("odd.ini"), content);
    SettingsFile ini(dir.file(QStringLiteral("odd.ini")),
                     QLocale(QLocale::German, QLocale::Germany));
    const QString s = QStringLiteral("Invoice");
    EXPECT_EQ(ini.readInteger(s, QStringLiteral("COPIES"), 1), 3); // first of duplicates, any case
    EXPECT_EQ(ini.readInteger(s, QStringLiteral("Terms"), 0), 14);
    EXPECT_EQ(ini.readInteger(s, QStringLiteral("Bad"), 7), 7);
    EXPECT_TRUE(ini.readBool(s, QStringLiteral("VAT"), false));
    EXPECT_FALSE(ini.readBool(s, QStringLiteral("Off"), true));
    EXPECT_FALSE(ini.readBool(s, QStringLiteral("Bad"), false));
    EXPECT_EQ(ini.readString(s, QStringLiteral("Name")), QStringLiteral("A=B"));
    EXPECT_EQ(ini.readDate(s, QStringLiteral("Date"), QDate()), QDate(2026, 12, 24));
    EXPECT_EQ(ini.readString(s, QStringLiteral("Huge")).size(), 200000);
    // Bytes that are not UTF-8 are Windows-1252.
    EXPECT_EQ(ini.readString(QStringLiteral("company"), QStringLiteral("name")),
              QStringLiteral("Caf") + QChar(0xE9) + QStringLiteral(" M") + QChar(0xFC) +
                  QStringLiteral("ller ") + QChar(0x20AC));
    EXPECT_EQ(ini.readSection(s).size(), 8);
    EXPECT_TRUE(ini.readSectionValues(s).contains(QStringLiteral("Name=A=B")));
}

TEST(SettingsFile, WriteBackKeepsUnknownContentAndOrder) {
    TempDataDir dir;
    dir.writeFile(QStringLiteral("keep.ini"),
                  "; comment\n[Other]\nZ=1\nA=2\n\n[Invoice]\nAutonum=2\nstray\n");
    {
        SettingsFile ini(dir.file(QStringLiteral("keep.ini")));
        ini.writeInteger(QStringLiteral("INVOICE"), QStringLiteral("autonum"), 1);
        ini.writeBool(QStringLiteral("Invoice"), QStringLiteral("VAT"), true);
        ini.writeString(QStringLiteral("Other"), QStringLiteral("New"), QStringLiteral("x"));
        ini.writeString(QStringLiteral("Fresh"), QStringLiteral("Key"),
                        QStringLiteral("multi\nline"));
        ASSERT_TRUE(ini.updateFile());
    }
    EXPECT_EQ(
        dir.readFile(QStringLiteral("keep.ini")),
        QByteArray("; comment\n[Other]\nZ=1\nA=2\nNew=x\n\n[Invoice]\nAutonum=1\nstray\nVAT=1\n"
                   "[Fresh]\nKey=multi line\n"));
    // Accented text is written back as UTF-8 and reads the same.
    SettingsFile again(dir.file(QStringLiteral("keep.ini")));
    again.writeString(QStringLiteral("Company"), QStringLiteral("Name"),
                      QStringLiteral("Åsa Öberg"));
    ASSERT_TRUE(again.updateFile());
    EXPECT_EQ(SettingsFile(dir.file(QStringLiteral("keep.ini")))
                  .readString(QStringLiteral("Company"), QStringLiteral("Name")),
              QStringLiteral("Åsa Öberg"));
}

TEST(SettingsFile, CrLfFilesStayCrLf) {
    TempDataDir dir;
    dir.writeFile(QStringLiteral("crlf.ini"), "[Invoice]\r\nTerms=30\r\n");
    SettingsFile ini(dir.file(QStringLiteral("crlf.ini")));
    EXPECT_EQ(ini.readInteger(QStringLiteral("Invoice"), QStringLiteral("Terms"), 0), 30);
    ini.writeInteger(QStringLiteral("Invoice"), QStringLiteral("Copies"), 2);
    ASSERT_TRUE(ini.updateFile());
    EXPECT_EQ(dir.readFile(QStringLiteral("crlf.ini")),
              QByteArray("[Invoice]\r\nTerms=30\r\nCopies=2\r\n"));
}

TEST(SettingsFile, AStrayCarriageReturnAtALineEndDoesNotTurnTheFileIntoCrLf) {
    // Found by fuzzing: the return was written back before the line break, so the next read
    // took the file for CR LF and every later write changed all its line ends.
    TempDataDir dir;
    dir.writeFile(QStringLiteral("lf.ini"), "[Company]\r\r\nName=Acme\r\r\nCity=York\n");
    {
        SettingsFile ini(dir.file(QStringLiteral("lf.ini")));
        EXPECT_EQ(ini.readString(QStringLiteral("Company"), QStringLiteral("Name")),
                  QStringLiteral("Acme"));
        ini.writeString(QStringLiteral("Company"), QStringLiteral("City"), QStringLiteral("Leeds"));
        ASSERT_TRUE(ini.updateFile());
    }
    const QByteArray once = dir.readFile(QStringLiteral("lf.ini"));
    EXPECT_EQ(once, QByteArray("[Company]\r\nName=Acme\r\nCity=Leeds\r\n"));
    SettingsFile again(dir.file(QStringLiteral("lf.ini")));
    ASSERT_TRUE(again.updateFile());
    EXPECT_EQ(dir.readFile(QStringLiteral("lf.ini")), once);

    dir.writeFile(QStringLiteral("stray.ini"), "[A]\nKey=x\r\n[B]\rN\r\r");
    SettingsFile first(dir.file(QStringLiteral("stray.ini")));
    ASSERT_TRUE(first.updateFile());
    const QByteArray written = dir.readFile(QStringLiteral("stray.ini"));
    SettingsFile second(dir.file(QStringLiteral("stray.ini")));
    ASSERT_TRUE(second.updateFile());
    EXPECT_EQ(dir.readFile(QStringLiteral("stray.ini")), written);
}

TEST(SettingsFileDeathTest, CrashBetweenWriteAndRenameLeavesTheOldFileWhole) {
    TempDataDir dir;
    const QByteArray old = "[Invoice]\nLastTotalSeqNo=41\n";
    dir.writeFile(QStringLiteral("MRVInv.ini"), old);
    EXPECT_EXIT(
        {
            SettingsFile ini(dir.file(QStringLiteral("MRVInv.ini")));
            ini.writeInteger(QStringLiteral("Invoice"), QStringLiteral("LastTotalSeqNo"), 42);
            SettingsFile::setBeforeCommitHook([] { _exit(3); });
            ini.updateFile();
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(dir.readFile(QStringLiteral("MRVInv.ini")), old);
}

TEST(SettingsFile, UnwritableFileIsReportedAndNothingIsLost) {
    TempDataDir dir;
    SettingsFile ini(dir.file(QStringLiteral("no/such/folder/x.ini")));
    ini.writeInteger(QStringLiteral("A"), QStringLiteral("B"), 1);
    QString error;
    EXPECT_FALSE(ini.updateFile(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(ini.isModified());
    EXPECT_EQ(ini.readInteger(QStringLiteral("A"), QStringLiteral("B"), 0), 1);
}

TEST(SettingsFile, FloatsAndDatesFollowTheLocale) {
    TempDataDir dir;
    const QLocale de(QLocale::German, QLocale::Germany);
    {
        SettingsFile ini(dir.file(QStringLiteral("f.ini")), de);
        ini.writeFloat(QStringLiteral("S"), QStringLiteral("Rate"), 8.5);
        ini.writeDate(QStringLiteral("S"), QStringLiteral("LastDate"), QDate(2026, 12, 8));
        ASSERT_TRUE(ini.updateFile());
    }
    EXPECT_EQ(dir.readFile(QStringLiteral("f.ini")),
              QByteArray("[S]\nRate=8,5\nLastDate=08.12.2026\n"));
    SettingsFile back(dir.file(QStringLiteral("f.ini")), de);
    EXPECT_DOUBLE_EQ(back.readFloat(QStringLiteral("S"), QStringLiteral("Rate"), 0), 8.5);
    EXPECT_EQ(back.readDate(QStringLiteral("S"), QStringLiteral("LastDate"), QDate()),
              QDate(2026, 12, 8));
    SettingsFile asPoint(dir.file(QStringLiteral("f.ini")),
                         QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_DOUBLE_EQ(asPoint.readFloat(QStringLiteral("S"), QStringLiteral("Rate"), -1), -1);
}

TEST(SettingsFile, NoNameReadsAsMissingFile) {
    SettingsFile file{QString()};
    EXPECT_FALSE(file.existed());
    EXPECT_EQ(file.readInteger("Page", "LeftMargin", 20), 20);
}
