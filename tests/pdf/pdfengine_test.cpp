#include "enginetest.h"

#include "support/fulldisk.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <string>

TEST(PdfEngineSettings, ClassDefaults) {
    TgtPDFEngine pdf;
    EXPECT_EQ(pdf.FileExtension, QStringLiteral("pdf"));
    EXPECT_EQ(pdf.FileDescription, QStringLiteral("Adobe PDF Files"));
    EXPECT_EQ(pdf.InputXRes, 96);
    EXPECT_EQ(pdf.InputYRes, 96);
    EXPECT_DOUBLE_EQ(pdf.Page.Width, 8.2677);
    EXPECT_DOUBLE_EQ(pdf.Page.Height, 11.6929);
    EXPECT_EQ(pdf.ReferencePoint, rpBand);
    EXPECT_EQ(pdf.Font.Name, QStringLiteral("Tahoma"));
    EXPECT_EQ(pdf.Font.Height, -11);
    EXPECT_EQ(pdf.Font.Charset, PdfCharset::Default);
    EXPECT_EQ(pdf.ImageSettings.SourceDPI, 96);
    EXPECT_EQ(pdf.ImageSettings.OutputImageFormat, ifBMP);
    EXPECT_EQ(pdf.FontEncoding, feWinAnsiEncoding);
    EXPECT_TRUE(pdf.Compression.Enabled);
    EXPECT_EQ(pdf.Compression.Level, 2);
    EXPECT_EQ(pdf.BackgroundColor, QColor(255, 255, 255));
    EXPECT_TRUE(pdf.Preferences.ShowSetupDialog);
    EXPECT_TRUE(pdf.Preferences.OpenAfterCreate);
    EXPECT_TRUE(pdf.Preferences.UseImagesAsResources);
    EXPECT_FALSE(pdf.Preferences.OutputToUserStream);
    EXPECT_EQ(pdf.Preferences.EmbedTrueTypeFonts, etfNone);
    EXPECT_TRUE(pdf.FontEmbedExcludeList.isEmpty());
    EXPECT_EQ(pdf.ViewerPreferences.PageLayout, plOneColumn);
    EXPECT_EQ(pdf.ViewerPreferences.PageMode, pmUseNone);
    EXPECT_FALSE(pdf.ViewerPreferences.CenterWindow || pdf.ViewerPreferences.FitWindow ||
                 pdf.ViewerPreferences.HideWindowUI || pdf.ViewerPreferences.HideMenuBar ||
                 pdf.ViewerPreferences.HideToolBar);
    EXPECT_EQ(pdf.ViewerPreferences.NonFullScreenPageMode, nfpmUseNone);
    EXPECT_FALSE(pdf.Encryption.Enabled);
    EXPECT_EQ(pdf.Encryption.Level, 1);
    EXPECT_TRUE(pdf.Encryption.OwnerPassword.isEmpty() && pdf.Encryption.UserPassword.isEmpty());
    EXPECT_EQ(pdf.Encryption.UserPermissions, 255);
    EXPECT_TRUE(pdf.Author.isEmpty() && pdf.Keywords.isEmpty() && pdf.Creator.isEmpty() &&
                pdf.Title.isEmpty() && pdf.Subject.isEmpty());
}

TEST(PdfEngineSettings, FileNameLosesItsExtension) {
    TgtCustomPDFEngine pdf;
    pdf.setFileName(QStringLiteral("/tmp/out/invoice 1001.txt"));
    EXPECT_EQ(pdf.FileName(), QStringLiteral("/tmp/out/invoice 1001"));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/tmp/out/invoice 1001.pdf"));
    pdf.setFileName(QStringLiteral("/tmp/out.v2/invoice"));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/tmp/out.v2/invoice.pdf"));
    pdf.setFileName(QStringLiteral("/tmp/archive.tar.gz"));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/tmp/archive.tar.pdf"));
    pdf.setFileName(QStringLiteral("/tmp/.hidden"));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/tmp/.hidden.pdf"));
    pdf.FileExtension = QStringLiteral("PDF");
    pdf.setFileName(QStringLiteral("/tmp/a.pdf"));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/tmp/a.PDF"));
}

TEST(PdfEngineSettings, OnlyARealExtensionIsDropped) {
    TgtCustomPDFEngine pdf;
    // Document numbers put into the proposed name by the program keep their points.
    pdf.setFileName(QStringLiteral("/out/Invoice2026.01"));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/out/Invoice2026.01.pdf"));
    pdf.setFileName(QStringLiteral("/out/Invoice2026.02"));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/out/Invoice2026.02.pdf"));
    pdf.setFileName(QStringLiteral("/out/Invoice2026.01.pdf"));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/out/Invoice2026.01.pdf"));
    // The numbers "" and "." give two names, not one.
    pdf.setFileName(QStringLiteral("/out/Invoice"));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/out/Invoice.pdf"));
    pdf.setFileName(QStringLiteral("/out/Invoice."));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/out/Invoice..pdf"));
    pdf.setFileName(QStringLiteral("/out/Invoice..pdf"));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/out/Invoice..pdf"));
    pdf.setFileName(QStringLiteral("/out/report.txt"));
    EXPECT_EQ(pdf.outputFilePath(), QStringLiteral("/out/report.pdf"));

    const std::pair<const char*, const char*> extensions[] = {
        {"a.txt", "txt"}, {"a.PDF", "PDF"}, {"a.tar.gz", "gz"}, {"a.mp3", "mp3"},
        {"2026.01", ""},  {"Invoice.", ""}, {".hidden", ""},    {"dir.v2/name", ""},
        {"a.b-c", ""},    {"a.1 2", ""},    {"", ""},           {"/", ""}};
    for (const auto& [name, extension] : extensions)
        EXPECT_EQ(TgtCustomPDFEngine::fileExtension(QString::fromUtf8(name)),
                  QString::fromUtf8(extension))
            << name;
}

TEST(PdfEngineStructure, OnePageDocumentHasTheFixedObjectsInOrder) {
    TgtCustomPDFEngine pdf;
    pdf.Compression.Enabled = false;
    const QByteArray bytes = onePage(pdf);
    EXPECT_EQ(structureProblems(bytes), QString());
    // Page 6, its content 7 and length 8 during the page; then catalog, page tree, resources,
    // procedure sets, the font (9) with its descriptor (10), and the information last.
    EXPECT_EQ(objectOrder(bytes), (QList<int>{6, 7, 8, 1, 2, 5, 4, 9, 10, 3}));
    EXPECT_TRUE(bytes.contains("xref\r\n0 11\r\n0000000000 65535 f\r\n"));
    EXPECT_TRUE(objectText(bytes, 1).contains("/Type/Catalog/Pages 2 0 R"));
    EXPECT_TRUE(objectText(bytes, 1).contains("/PageLayout /OneColumn"));
    EXPECT_EQ(objectText(bytes, 2), "2 0 obj\r\n<<\r\n/Type/Pages/Count 1/Kids [6 0 R]\r\n>>\r\n");
    EXPECT_TRUE(objectText(bytes, 4).contains("[/PDF /Text]"));
    EXPECT_TRUE(objectText(bytes, 5).contains("/Font <</F0 9 0 R >>"));
    EXPECT_TRUE(objectText(bytes, 5).contains("/ProcSet 4 0 R"));
    EXPECT_TRUE(objectText(bytes, 6).contains(
        "/Type/Page/Parent 2 0 R/MediaBox [0 0 595.2744 841.8888]/Resources 5 0 R/Contents 7 0 R"));
    EXPECT_TRUE(objectText(bytes, 9).contains(
        "/Type /Font/Subtype /TrueType/Name /F0/BaseFont /Arial /Encoding /WinAnsiEncoding"));
    EXPECT_TRUE(objectText(bytes, 9).contains("/FirstChar 32/LastChar 255/Widths ["));
    EXPECT_TRUE(objectText(bytes, 9).contains("/FontDescriptor 10 0 R"));
    EXPECT_TRUE(objectText(bytes, 10).contains("/Type /FontDescriptor/FontName /"));
    EXPECT_FALSE(objectText(bytes, 10).contains("/FontFile2"));
    EXPECT_TRUE(bytes.contains("trailer\r\n<<\r\n/Root 1 0 R/Info 3 0 R/Size 11\r\n>>"));
    EXPECT_FALSE(bytes.contains("/Encrypt"));
}

TEST(PdfEngineStructure, ContentStreamFollowsTheWrittenForms) {
    TgtCustomPDFEngine pdf;
    pdf.Compression.Enabled = false;
    const QByteArray bytes = onePage(pdf, QStringLiteral("(a) \\ b"));
    const QByteArray content = firstPageContent(bytes);
    EXPECT_TRUE(
        content.startsWith("q 1.0000 0 0 1.0000 0 0 cm\r\n\r\nq\r\n1.0000 1.0000 1.0000 rg n "
                           "0.0000 0.0000 595.2744 841.8888 re f\r\nQ"))
        << content.constData();
    // Top 96 dots = 72 points down, baseline one font size lower.
    EXPECT_TRUE(
        content.contains("\r\n q BT\r\n0 Tr\r\n0.0000 0.0000 0.0000 rg\r\n/F0 10.0000 Tf\r\n"
                         " 0.0000 Tc 0 Tw\r\n72.0000 759.8888 Td\r\n(\\(a\\) \\\\ b) Tj\r\nET Q "))
        << content.constData();
    EXPECT_TRUE(content.endsWith("\r\nQ\r\n"));
}

TEST(PdfEngineStructure, LengthObjectHoldsTheStreamSize) {
    for (const bool compressed : {false, true}) {
        TgtCustomPDFEngine pdf;
        pdf.Compression.Enabled = compressed;
        const QByteArray bytes = onePage(pdf);
        EXPECT_EQ(structureProblems(bytes), QString());
        const QByteArray dictionary = objectText(bytes, 7);
        EXPECT_TRUE(dictionary.contains("/Length 8 0 R"));
        EXPECT_EQ(dictionary.contains("/Filter /FlateDecode"), compressed);
        const qsizetype start = bytes.indexOf(dictionary) + dictionary.size() + 8;
        const qsizetype end = bytes.indexOf("\r\nendstream", start);
        EXPECT_EQ(objectText(bytes, 8), "8 0 obj\r\n" + QByteArray::number(end - start) + "\r\n");
        EXPECT_TRUE(streamOf(bytes, 7).contains("(Invoice) Tj"));
    }
}

TEST(PdfEngineStructure, CompressionLevelsAllWriteValidStreams) {
    qsizetype sizes[4] = {};
    for (int level = 0; level <= 3; ++level) {
        TgtCustomPDFEngine pdf;
        pdf.Compression.Level = level;
        QBuffer buffer;
        writeInto(pdf, buffer);
        ASSERT_TRUE(pdf.beginDoc());
        pdf.beginPage();
        for (int row = 0; row < 60; ++row)
            pdf.drawText(text(QStringLiteral("Row %1 of the invoice").arg(row), 50, 50 + row * 15));
        pdf.endPage();
        ASSERT_TRUE(pdf.endDoc());
        EXPECT_EQ(structureProblems(buffer.data()), QString());
        EXPECT_TRUE(streamOf(buffer.data(), 7).contains("(Row 59 of the invoice) Tj"));
        sizes[level] = buffer.data().size();
    }
    EXPECT_GT(sizes[0], sizes[1]); // level 0 stores without compressing
    EXPECT_GE(sizes[1], sizes[3]);
}

TEST(PdfEngineStructure, NumbersKeepThePointUnderACommaLocale) {
    // A German C locale, built for this test when the system has none.
    QTemporaryDir locales;
    const QByteArray oldPath = qgetenv("LOCPATH");
    const std::string oldCLocale = std::setlocale(LC_ALL, nullptr);
    QString cLocale;
    if (haveTool(QStringLiteral("localedef")) &&
        runTool(QStringLiteral("localedef"),
                {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                 QStringLiteral("UTF-8"), locales.filePath(QStringLiteral("de_DE.UTF-8"))})
                .exitCode <= 1) {
        qputenv("LOCPATH", locales.path().toLocal8Bit());
        if (const char* set = std::setlocale(LC_ALL, "de_DE.UTF-8"))
            cLocale = QString::fromLatin1(set);
    }
    const QLocale oldLocale;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);

    TgtCustomPDFEngine pdf;
    pdf.Compression.Enabled = false;
    const QByteArray bytes = onePage(pdf);

    std::setlocale(LC_ALL, oldCLocale.c_str());
    QLocale::setDefault(oldLocale);
    if (oldPath.isEmpty())
        qunsetenv("LOCPATH");
    else
        qputenv("LOCPATH", oldPath);

    if (!cLocale.isEmpty()) {
        EXPECT_STREQ(probe, "1,5") << "the comma locale was in force";
    }
    EXPECT_EQ(structureProblems(bytes), QString());
    EXPECT_TRUE(bytes.contains("/MediaBox [0 0 595.2744 841.8888]"));
    EXPECT_FALSE(bytes.contains("595,2744"));
    const QByteArray content = firstPageContent(bytes);
    EXPECT_TRUE(content.contains("72.0000 759.8888 Td"));
    EXPECT_FALSE(matches(QStringLiteral("\\d,\\d"), content));
}

TEST(PdfEngineStructure, InformationTextsAreUtf16AndBlankOnesAreLeftOut) {
    TgtCustomPDFEngine pdf;
    pdf.Title = QString::fromUtf8("Faktura Łódź");
    pdf.Author = QStringLiteral("   ");
    pdf.Subject = QStringLiteral("Invoice 1001");
    const QByteArray bytes = onePage(pdf);
    const QByteArray info = objectText(bytes, 3);
    EXPECT_TRUE(info.contains("/Title <FEFF00460061006B0074007500720061002001410"));
    EXPECT_TRUE(info.contains("/Subject <FEFF0049006E0076"));
    EXPECT_FALSE(info.contains("/Author"));
    EXPECT_FALSE(info.contains("/Keywords"));
    EXPECT_TRUE(info.contains("/Producer <FEFF"));
    // Order: dates, producer, then the texts in their fixed order.
    EXPECT_LT(info.indexOf("/CreationDate"), info.indexOf("/ModDate"));
    EXPECT_LT(info.indexOf("/Producer"), info.indexOf("/Title"));
    EXPECT_LT(info.indexOf("/Title"), info.indexOf("/Subject"));

    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("/CreationDate <([0-9A-F]+)>"))
            .match(QString::fromLatin1(info));
    ASSERT_TRUE(m.hasMatch());
    const QString stamp = QString::fromLatin1(QByteArray::fromHex(m.captured(1).toLatin1()));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^D:\\d{14}[+-]\\d\\d'\\d\\d'$")).match(stamp).hasMatch())
        << qPrintable(stamp);
}

TEST(PdfEngineStructure, ViewerPreferencesGoIntoTheCatalog) {
    TgtCustomPDFEngine pdf;
    pdf.ViewerPreferences.PageLayout = plTwoColumnLeft;
    pdf.ViewerPreferences.PageMode = pmUseThumbs;
    pdf.ViewerPreferences.FitWindow = true;
    pdf.ViewerPreferences.HideToolBar = true;
    pdf.ViewerPreferences.NonFullScreenPageMode = nfpmUseOutlines;
    const QByteArray catalog = objectText(onePage(pdf), 1);
    EXPECT_TRUE(catalog.contains("/PageMode /UseThumbs/PageLayout /TwoColumnLeft"));
    EXPECT_TRUE(catalog.contains("/ViewerPreferences <</FitWindow true/HideToolbar "
                                 "true/NonFullScreenPageMode /UseOutlines>>"));
}

TEST(PdfEngineStructure, PagesGoToTheOutputAsTheyEnd) {
    TgtCustomPDFEngine pdf;
    QBuffer buffer;
    writeInto(pdf, buffer);
    ASSERT_TRUE(pdf.beginDoc());
    qint64 previous = buffer.size();
    for (int page = 0; page < 5; ++page) {
        pdf.beginPage();
        pdf.drawText(text(QStringLiteral("Page %1").arg(page + 1), 50, 50));
        pdf.endPage();
        EXPECT_GT(buffer.size(), previous + 100) << "page " << page << " was held back";
        previous = buffer.size();
    }
    EXPECT_EQ(pdf.pageCount(), 5);
    ASSERT_TRUE(pdf.endDoc());
    EXPECT_EQ(structureProblems(buffer.data()), QString());
    EXPECT_TRUE(objectText(buffer.data(), 2).contains("/Count 5"));
}

TEST(PdfEngineStructure, CallsOutOfOrderDoNoHarm) {
    TgtCustomPDFEngine pdf;
    pdf.drawText(text(QStringLiteral("nowhere"), 0, 0)); // no document: ignored
    pdf.beginPage();
    pdf.endPage();
    EXPECT_FALSE(pdf.endDoc());
    EXPECT_FALSE(pdf.errorString().isEmpty());

    QBuffer buffer;
    writeInto(pdf, buffer);
    ASSERT_TRUE(pdf.beginDoc());
    EXPECT_FALSE(pdf.beginDoc()); // one document at a time
    pdf.drawText(text(QStringLiteral("before any page"), 0, 0));
    pdf.beginPage();
    pdf.beginPage();           // ends the first page
    ASSERT_TRUE(pdf.endDoc()); // ends the open page
    EXPECT_EQ(structureProblems(buffer.data()), QString());
    EXPECT_TRUE(objectText(buffer.data(), 2).contains("/Count 2"));
    EXPECT_FALSE(buffer.data().contains("before any page"));
}

TEST(PdfEngineStructure, DocumentWithoutPagesGetsABlankPage) {
    TgtCustomPDFEngine pdf;
    QBuffer buffer;
    writeInto(pdf, buffer);
    ASSERT_TRUE(pdf.beginDoc());
    ASSERT_TRUE(pdf.endDoc());
    EXPECT_EQ(structureProblems(buffer.data()), QString());
    EXPECT_TRUE(objectText(buffer.data(), 2).contains("/Count 1"));
}

TEST(PdfEngineStructure, AFailingOutputIsReportedAtTheEnd) {
    // A device that takes the first bytes and then refuses, like a full disk.
    class FullDisk : public QIODevice {
    public:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char*, qint64 length) override {
            if (m_written > 200)
                return -1;
            m_written += length;
            return length;
        }
        qint64 m_written = 0;
    } device;
    device.open(QIODevice::WriteOnly);
    TgtCustomPDFEngine pdf;
    pdf.Preferences.OutputToUserStream = true;
    pdf.setUserStream(&device);
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    pdf.drawText(text(QStringLiteral("Invoice"), 10, 10));
    pdf.endPage();
    EXPECT_FALSE(pdf.endDoc());
    EXPECT_TRUE(pdf.errorString().contains(QLatin1String("could not be written")))
        << qPrintable(pdf.errorString());
    EXPECT_FALSE(pdf.isDocumentOpen());
}

TEST_F(PdfEngine, ChosenTxtNameIsWrittenAsPdf) {
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("invoice 1001.txt"));
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    pdf.drawText(text(QStringLiteral("Invoice 1001"), 50, 50));
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());
    const QString written = m_dir.filePath(QStringLiteral("invoice 1001.pdf"));
    EXPECT_TRUE(QFileInfo::exists(written));
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("invoice 1001.txt"))));
    EXPECT_EQ(pdf.FilesCreated(), QStringList{written});
    EXPECT_EQ(structureProblems(readBytes(written)), QString());
}

namespace {

// Writes one page saying `line` to the engine's file.
bool writeOnePage(TgtCustomPDFEngine& pdf, const QString& line, int items = 1) {
    if (!pdf.beginDoc())
        return false;
    pdf.beginPage();
    for (int i = 0; i < items; ++i)
        pdf.drawText(text(line, 50, 50 + i % 900));
    pdf.endPage();
    return pdf.endDoc();
}

} // namespace

TEST_F(PdfEngine, DocumentNumbersWithPointsGetFilesOfTheirOwn) {
    for (const QString& number :
         {QStringLiteral("2026.01"), QStringLiteral("2026.02"), QString(), QStringLiteral(".")}) {
        TgtCustomPDFEngine pdf;
        prepare(pdf, QStringLiteral("Invoice") + number);
        ASSERT_TRUE(writeOnePage(pdf, QStringLiteral("Number ") + number))
            << qPrintable(pdf.errorString());
    }
    QStringList written = QDir(m_dir.path()).entryList(QDir::Files);
    written.sort();
    EXPECT_EQ(written, (QStringList{QStringLiteral("Invoice..pdf"), QStringLiteral("Invoice.pdf"),
                                    QStringLiteral("Invoice2026.01.pdf"),
                                    QStringLiteral("Invoice2026.02.pdf")}));
    EXPECT_TRUE(textOf(m_dir.filePath(QStringLiteral("Invoice2026.01.pdf")))
                    .contains(QLatin1String("Number 2026.01")));
}

TEST_F(PdfEngine, AFileOnlyTheReplacedExtensionLeadsToIsNotOverwritten) {
    TgtCustomPDFEngine first;
    prepare(first, QStringLiteral("report.pdf"));
    ASSERT_TRUE(writeOnePage(first, QStringLiteral("Kept")));
    const QByteArray before = readBytes(first.outputFilePath());

    // The save dialog asked about "report.txt", which does not exist.
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("report.txt"));
    EXPECT_FALSE(pdf.beginDoc());
    EXPECT_TRUE(pdf.errorString().contains(QLatin1String("already exists")))
        << qPrintable(pdf.errorString());
    EXPECT_TRUE(pdf.errorString().contains(m_dir.filePath(QStringLiteral("report.txt"))));
    EXPECT_EQ(readBytes(first.outputFilePath()), before);
    // A caller that asked about the name written says so by choosing that name.
    pdf.setFileName(pdf.outputFilePath());
    EXPECT_TRUE(writeOnePage(pdf, QStringLiteral("Replaced"))) << qPrintable(pdf.errorString());
    EXPECT_TRUE(textOf(pdf.outputFilePath()).contains(QLatin1String("Replaced")));
}

TEST_F(PdfEngine, NamesTheFileSystemRefusesFailAtBeginDoc) {
    const QString tooLong = m_dir.filePath(QString(300, u'x') + QStringLiteral(".pdf"));
    const QString throughMissing = m_dir.filePath(QStringLiteral("missing/../../x.pdf"));
    for (const QString& target : {tooLong, throughMissing}) {
        TgtCustomPDFEngine pdf;
        pdf.Preferences.OpenAfterCreate = false;
        pdf.setFileName(target);
        EXPECT_FALSE(pdf.beginDoc()) << qPrintable(target.right(40));
        EXPECT_TRUE(pdf.errorString().contains(QLatin1String("cannot be created")))
            << qPrintable(pdf.errorString());
        EXPECT_FALSE(pdf.isDocumentOpen());
    }
    EXPECT_FALSE(
        QFileInfo::exists(QFileInfo(m_dir.path()).dir().filePath(QStringLiteral("x.pdf"))));
}

TEST_F(PdfEngine, AFullDiskKeepsTheEarlierFileAndSaysWhy) {
    FullDisk disk;
    ASSERT_TRUE(disk.isValid()) << qPrintable(disk.reason());
    const QString target = disk.file(QStringLiteral("Invoice2026-0042.pdf"));
    {
        TgtCustomPDFEngine earlier;
        earlier.Preferences.OpenAfterCreate = false;
        earlier.setFileName(target);
        ASSERT_TRUE(writeOnePage(earlier, QStringLiteral("Invoice 2026-0042")));
    }
    const QByteArray before = readBytes(target);
    ASSERT_GT(before.size(), 1000);
    disk.fill();
    SCOPED_TRACE(qPrintable(disk.kind()));
    // A short document fails at the last flush; a long one on the way.
    for (const int items : {1, 4000}) {
        TgtPDFEngine pdf;
        QStringList opened;
        pdf.setOpener([&](const QString& path) { opened << path; });
        pdf.Compression.Enabled = false;
        pdf.setFileName(target);
        EXPECT_FALSE(writeOnePage(pdf, QStringLiteral("Invoice 2026-0042 again"), items));
        EXPECT_TRUE(pdf.errorString().contains(QLatin1String("could not be written")))
            << qPrintable(pdf.errorString());
        EXPECT_TRUE(pdf.errorString().contains(QLatin1String("No space left on device")) ||
                    pdf.errorString().contains(QLatin1String("File too large")))
            << qPrintable(pdf.errorString());
        EXPECT_TRUE(readBytes(target) == before) << items << " items";
        EXPECT_TRUE(opened.isEmpty());
        EXPECT_TRUE(pdf.FilesCreated().isEmpty());
    }
    QStringList names = QDir(disk.path()).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(QStringLiteral(".filler"));
    EXPECT_EQ(names, QStringList{QStringLiteral("Invoice2026-0042.pdf")});
}

TEST_F(PdfEngine, UnwritablePathIsReportedAndNothingChanges) {
    QFile blocker(m_dir.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (const QString& target : {m_dir.filePath(QStringLiteral("missing/folder/invoice.pdf")),
                                  m_dir.filePath(QStringLiteral("not-a-folder/invoice.pdf"))}) {
        TgtPDFEngine pdf;
        QStringList opened;
        pdf.setOpener([&](const QString& path) { opened << path; });
        pdf.setFileName(target);
        EXPECT_FALSE(pdf.beginDoc());
        EXPECT_TRUE(pdf.errorString().contains(QLatin1String("cannot be created")))
            << qPrintable(pdf.errorString());
        EXPECT_TRUE(pdf.errorString().contains(QDir::toNativeSeparators(target)));
        EXPECT_FALSE(pdf.isDocumentOpen());
        pdf.beginPage();
        pdf.drawText(text(QStringLiteral("lost"), 0, 0));
        pdf.endPage();
        EXPECT_FALSE(pdf.endDoc());
        EXPECT_TRUE(opened.isEmpty());
        EXPECT_TRUE(pdf.FilesCreated().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(target));
    }
    TgtCustomPDFEngine unnamed;
    EXPECT_FALSE(unnamed.beginDoc());
    EXPECT_FALSE(unnamed.errorString().isEmpty());
}

TEST_F(PdfEngine, AbortedExportKeepsTheEarlierFile) {
    const QString target = path(QStringLiteral("keep.pdf"));
    {
        TgtCustomPDFEngine first;
        prepare(first, QStringLiteral("keep.pdf"));
        ASSERT_TRUE(first.beginDoc());
        first.beginPage();
        first.drawText(text(QStringLiteral("First version"), 50, 50));
        first.endPage();
        ASSERT_TRUE(first.endDoc());
    }
    const QByteArray before = readBytes(target);
    TgtCustomPDFEngine second;
    prepare(second, QStringLiteral("keep.pdf"));
    ASSERT_TRUE(second.beginDoc());
    second.beginPage();
    second.drawText(text(QStringLiteral("Second version"), 50, 50));
    second.abortDoc();
    EXPECT_EQ(readBytes(target), before);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.pdf")});
}

TEST_F(PdfEngine, OpenAfterCreateHandsTheFileToTheOpener) {
    for (const bool open : {true, false}) {
        TgtPDFEngine pdf;
        QStringList opened;
        pdf.setOpener([&](const QString& path) { opened << path; });
        prepare(pdf, QStringLiteral("open-%1.pdf").arg(open));
        pdf.Preferences.OpenAfterCreate = open;
        ASSERT_TRUE(pdf.beginDoc());
        pdf.beginPage();
        pdf.endPage();
        ASSERT_TRUE(pdf.endDoc());
        if (open) {
            EXPECT_EQ(opened, QStringList{pdf.outputFilePath()});
        } else {
            EXPECT_TRUE(opened.isEmpty());
        }
    }
}

TEST_F(PdfEngine, SetupDialogMayCancel) {
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("cancelled.pdf"));
    pdf.Preferences.ShowSetupDialog = true;
    int asked = 0;
    pdf.setSetupDialog([&](TgtCustomPDFEngine&) {
        ++asked;
        return false;
    });
    EXPECT_FALSE(pdf.beginDoc());
    EXPECT_TRUE(pdf.errorString().isEmpty());
    EXPECT_EQ(asked, 1);
    pdf.Preferences.ShowSetupDialog = false;
    ASSERT_TRUE(pdf.beginDoc());
    EXPECT_EQ(asked, 1);
    pdf.abortDoc();
}
