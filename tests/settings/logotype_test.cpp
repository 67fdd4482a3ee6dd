#include "settings/logocopy.h"
#include "settings/logotype.h"

#include "service/service.h"

#include "settingstest.h"
#include "support/fulldisk.h"
#include "support/testenv.h"
#include "support/uihooks.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kLogotype = QStringLiteral("Logotype.bmp");

void makeFolder(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(path)) << path.toStdString();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The visible subfolders of a folder in the order the file system lists them, read without Qt.
QStringList listedFolders(const QString& folder) {
    QStringList out;
    DIR* d = opendir(QFile::encodeName(folder).constData());
    if (!d)
        return out;
    while (const dirent* e = readdir(d)) {
        const QString name = QFile::decodeName(e->d_name);
        if (name.startsWith(QLatin1Char('.')))
            continue;
        struct stat st {};
        if (stat(QFile::encodeName(folder + QLatin1Char('/') + name).constData(), &st) == 0 &&
            S_ISDIR(st.st_mode))
            out << name;
    }
    closedir(d);
    return out;
}

// A picture, left half red and right half blue, as a BMP file of the given bit depth. Qt writes
// 1, 4, 8 and 24 bits; 16 and 32 bits are written here by hand.
QByteArray bitmap(int bits, int width = 8, int height = 4) {
    const QColor red(255, 0, 0), blue(0, 0, 255);
    auto isRed = [width](int x) { return x < width / 2; };
    if (bits == 16 || bits == 32) {
        const int bytesPerPixel = bits / 8;
        const int stride = (width * bytesPerPixel + 3) / 4 * 4;
        QByteArray pixels(stride * height, '\0');
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                char* p = pixels.data() + y * stride + x * bytesPerPixel;
                if (bits == 16) // X1R5G5B5
                    qToLittleEndian<quint16>(isRed(x) ? 0x7C00 : 0x001F, p);
                else { // B, G, R, unused
                    p[0] = char(isRed(x) ? 0 : 255);
                    p[2] = char(isRed(x) ? 255 : 0);
                }
            }
        QByteArray file(54, '\0');
        char* h = file.data();
        h[0] = 'B';
        h[1] = 'M';
        qToLittleEndian<quint32>(54 + pixels.size(), h + 2);
        qToLittleEndian<quint32>(54, h + 10);
        qToLittleEndian<quint32>(40, h + 14);
        qToLittleEndian<qint32>(width, h + 18);
        qToLittleEndian<qint32>(height, h + 22);
        qToLittleEndian<quint16>(1, h + 26);
        qToLittleEndian<quint16>(quint16(bits), h + 28);
        qToLittleEndian<quint32>(quint32(pixels.size()), h + 34);
        return file + pixels;
    }
    QImage image;
    if (bits == 24) {
        image = QImage(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixelColor(x, y, isRed(x) ? red : blue);
    } else {
        image = QImage(width, height, bits == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
        QList<QRgb> table{red.rgb(), blue.rgb()};
        // Qt writes an indexed picture of at most 16 colours with 4 bits, else with 8.
        const int colours = bits == 1 ? 2 : bits == 4 ? 16 : 256;
        while (table.size() < colours)
            table << qRgb(table.size(), 128, 0);
        image.setColorTable(table);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, isRed(x) ? 0 : 1);
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return out;
}

int bitCountOf(const QByteArray& bmp) {
    return qFromLittleEndian<quint16>(bmp.constData() + 28);
}

struct LogoWindow {
    TfmLogoCopy window{nullptr};
    QLineEdit* edDrive = control<QLineEdit>(&window, "edDrive");
    QLabel* image = control<QLabel>(&window, "Image1");
    QLabel* notFound = control<QLabel>(&window, "Label3");
    QLabel* question = control<QLabel>(&window, "Label2");
    QLabel* installed = control<QLabel>(&window, "Label4");
    QPushButton* yes = control<QPushButton>(&window, "btnYes");
    QPushButton* no = control<QPushButton>(&window, "btnNo");
    QWidget* info = control<QWidget>(&window, "pnlInfo");

    void search(const QString& start) {
        edDrive->setText(start);
        window.btnSearchClick();
    }
    bool offersPicture() const {
        return !image->isHidden() && !question->isHidden() && !yes->isHidden() && !no->isHidden();
    }
};

} // namespace

TEST(LogotypeSearch, FindsTheFirstMatchDepthFirstInListingOrder) {
    QTemporaryDir root;
    for (const char* name : {"t0", "t1", "t2", "t3", "t4"})
        makeFolder(root.filePath(QLatin1String(name)));
    const QStringList order = listedFolders(root.path());
    ASSERT_EQ(order.size(), 5);
    const QString first = root.filePath(order[0]);
    const QString second = root.filePath(order[1]);
    // The first folder holds the file deep down, behind a hidden copy and next to empty
    // branches; the second holds it at once.
    makeFolder(first + QStringLiteral("/a/b/c"));
    makeFolder(first + QStringLiteral("/x/y"));
    makeFolder(first + QStringLiteral("/z"));
    makeFolder(first + QStringLiteral("/.cache"));
    writeBytes(first + QStringLiteral("/.cache/") + kLogotype, "hidden");
    writeBytes(first + QStringLiteral("/x/y/") + kLogotype, "deep");
    writeBytes(second + QLatin1Char('/') + kLogotype, "shallow");
    // A folder that merely has the name is no match.
    makeFolder(root.filePath(order[2]) + QLatin1Char('/') + kLogotype);

    FileSearch search(kLogotype);
    EXPECT_EQ(search.find(root.path()), first + QStringLiteral("/x/y"));
    EXPECT_FALSE(search.wasCancelled());

    QFile::remove(first + QStringLiteral("/x/y/") + kLogotype);
    EXPECT_EQ(search.find(root.path()), second);

    // A file in the start folder itself wins over everything below it; a trailing separator
    // and surrounding blanks do not matter.
    writeBytes(root.filePath(kLogotype), "top");
    EXPECT_EQ(search.find(QStringLiteral(" ") + root.path() + QStringLiteral("/ ")), root.path());
    EXPECT_EQ(search.find(root.filePath(QStringLiteral("missing"))), QString());
}

TEST(LogotypeSearch, HiddenFoldersAreNotSearchedAndLinkLoopsEnd) {
    QTemporaryDir root;
    makeFolder(root.filePath(QStringLiteral(".hidden/inner")));
    writeBytes(root.filePath(QStringLiteral(".hidden/inner/")) + kLogotype, "x");
    makeFolder(root.filePath(QStringLiteral("a/b")));
    ASSERT_TRUE(QFile::link(root.path(), root.filePath(QStringLiteral("a/b/up"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("."), root.filePath(QStringLiteral("a/self"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("nowhere"), root.filePath(QStringLiteral("dangling"))));

    FileSearch search(kLogotype);
    EXPECT_EQ(search.find(root.path()), QString());
    EXPECT_FALSE(search.wasCancelled());
    EXPECT_LE(search.foldersSearched(), 4);

    // A link to a folder elsewhere is followed once, and the match is reported where it was
    // reached.
    QTemporaryDir elsewhere;
    writeBytes(elsewhere.filePath(kLogotype), "x");
    ASSERT_TRUE(QFile::link(elsewhere.path(), root.filePath(QStringLiteral("a/b/linked"))));
    EXPECT_EQ(search.find(root.path()), root.filePath(QStringLiteral("a/b/linked")));
}

TEST(LogotypeSearch, UnreadableFoldersArePassedOver) {
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser reads every folder";
    QTemporaryDir root;
    makeFolder(root.filePath(QStringLiteral("locked/inner")));
    makeFolder(root.filePath(QStringLiteral("open")));
    writeBytes(root.filePath(QStringLiteral("open/")) + kLogotype, "x");
    ASSERT_EQ(chmod(QFile::encodeName(root.filePath(QStringLiteral("locked"))).constData(), 0), 0);
    FileSearch search(kLogotype);
    EXPECT_EQ(search.find(root.path()), root.filePath(QStringLiteral("open")));
    chmod(QFile::encodeName(root.filePath(QStringLiteral("locked"))).constData(), 0700);
}

TEST(LogotypeSearch, CancellingReportsNothingFound) {
    QTemporaryDir root;
    for (int i = 0; i < 6; ++i)
        makeFolder(root.filePath(QStringLiteral("d%1/e").arg(i)));
    for (const QString& name : listedFolders(root.path()))
        writeBytes(root.filePath(name) + QStringLiteral("/e/") + kLogotype, "x");

    FileSearch search(kLogotype);
    int calls = 0;
    search.setProgress([&] { return ++calls < 1; });
    EXPECT_EQ(search.find(root.path()), QString());
    EXPECT_TRUE(search.wasCancelled());
    EXPECT_EQ(calls, 1);

    // cancel() from inside the progress callback, as the window's Cancel button does.
    calls = 0;
    search.setProgress([&] {
        search.cancel();
        return true;
    });
    EXPECT_EQ(search.find(root.path()), QString());
    EXPECT_TRUE(search.wasCancelled());

    // A new search starts afresh.
    search.setProgress({});
    EXPECT_FALSE(search.find(root.path()).isEmpty());
    EXPECT_FALSE(search.wasCancelled());
}

TEST(LogotypeInstall, ReplacesLogoBmpOrKeepsTheOldOneWhenTheCopyFails) {
    QTemporaryDir source, target;
    const QString found = source.filePath(kLogotype);
    writeBytes(found, bitmap(24));
    writeBytes(target.filePath(QStringLiteral("Logo.bmp")), "old logo");

    QString error;
    EXPECT_TRUE(installLogotype(found, target.path(), &error)) << error.toStdString();
    EXPECT_EQ(readBytes(target.filePath(QStringLiteral("Logo.bmp"))), bitmap(24));

    EXPECT_FALSE(installLogotype(found, target.filePath(QStringLiteral("gone")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Logo.bmp"))) << error.toStdString();
    EXPECT_FALSE(
        installLogotype(source.filePath(QStringLiteral("none.bmp")), target.path(), &error));
    EXPECT_EQ(readBytes(target.filePath(QStringLiteral("Logo.bmp"))), bitmap(24));
    EXPECT_FALSE(installLogotype(QString(), target.path(), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(LogotypeInstall, AFullDiskKeepsTheOldLogoAndSaysWhy) {
    QTemporaryDir source;
    const QString found = source.filePath(kLogotype);
    writeBytes(found, bitmap(24));
    FullDisk disk;
    ASSERT_TRUE(disk.isValid()) << disk.reason().toStdString();
    disk.writeFile(QStringLiteral("Logo.bmp"), "old logo");
    disk.fill();
    QString error;
    EXPECT_FALSE(installLogotype(found, disk.path(), &error)) << disk.kind().toStdString();
    EXPECT_TRUE(
        error.startsWith(QStringLiteral("Cannot write ") + disk.file(QStringLiteral("Logo.bmp"))))
        << error.toStdString();
    EXPECT_EQ(disk.readFile(QStringLiteral("Logo.bmp")), QByteArray("old logo"));
}

TEST(LogoCopyWindow, OpensWithTheHomeFolderAndOnlyTheSearchOnShow) {
    TempDataDir data;
    HelpRecorder help;
    runWindow<TfmLogoCopy>(QStringLiteral("TfmLogoCopy"), [](TfmLogoCopy* w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Install logotype"));
        EXPECT_EQ(control<QLineEdit>(w, "edDrive")->text(),
                  QDir::toNativeSeparators(QDir::homePath()));
        for (const char* hidden :
             {"Label2", "Label3", "Label4", "btnYes", "btnNo", "pnlInfo", "Image1", "btnCancel"})
            EXPECT_TRUE(control<QWidget>(w, hidden)->isHidden()) << hidden;
        EXPECT_EQ(control<QLabel>(w, "Label1")->text(), QStringLiteral("Find logotype in path:"));
        EXPECT_EQ(control<QPushButton>(w, "btnSearch")->text(), QStringLiteral("Search"));
        EXPECT_TRUE(control<QPlainTextEdit>(w, "Memo2")
                        ->toPlainText()
                        .endsWith(QStringLiteral("(any) and press \"Save\".")));
        EXPECT_EQ(control<QPlainTextEdit>(w, "Memo2")->document()->blockCount(), 8);
        w->findChild<QAction*>(QStringLiteral("mnHelp"))->trigger();
    });
    EXPECT_EQ(help.contexts(), QList<int>({620}));
}

TEST(LogoCopyWindow, ASecondSearchHidesTheOldPictureFirst) {
    TempDataDir data;
    QTemporaryDir root;
    makeFolder(root.filePath(QStringLiteral("pictures/logo")));
    makeFolder(root.filePath(QStringLiteral("other")));
    const QString found = root.filePath(QStringLiteral("pictures/logo/")) + kLogotype;
    writeBytes(found, bitmap(24));

    LogoWindow w;
    w.search(root.path());
    EXPECT_EQ(w.window.foundLogo(), found);
    EXPECT_TRUE(w.offersPicture());
    EXPECT_TRUE(w.notFound->isHidden());
    w.window.btnYesClick();
    EXPECT_FALSE(w.info->isHidden());

    QFile::remove(found);
    // Checked while the second search runs: the window processes events between folders.
    bool checked = false;
    QTimer::singleShot(0, &w.window, [&] {
        checked = true;
        EXPECT_TRUE(w.window.isSearching());
        EXPECT_TRUE(w.image->isHidden());
        EXPECT_TRUE(w.yes->isHidden());
        EXPECT_TRUE(w.info->isHidden());
        EXPECT_TRUE(w.window.foundLogo().isEmpty());
    });
    w.search(root.path());
    EXPECT_TRUE(checked);
    EXPECT_FALSE(w.window.isSearching());
    EXPECT_TRUE(w.window.foundLogo().isEmpty());
    EXPECT_FALSE(w.offersPicture());
    EXPECT_TRUE(w.image->isHidden());
    EXPECT_FALSE(w.notFound->isHidden());
    EXPECT_EQ(w.notFound->text(), QStringLiteral("No logotype found in that path."));
}

TEST(LogoCopyWindow, YesAndOkInstallTheLogoNextToTheChosenFile) {
    TempDataDir data;
    QTemporaryDir root;
    const QByteArray picture = bitmap(8);
    writeBytes(root.filePath(kLogotype), picture);
    const QByteArray standard = bitmap(1);
    data.writeFile(QStringLiteral("Standard.bmp"), standard);
    data.writeFile(QStringLiteral("Logo.bmp"), "old logo");

    LogoWindow w;
    w.search(root.path());
    ASSERT_TRUE(w.offersPicture());
    w.window.btnYesClick();
    ASSERT_FALSE(w.info->isHidden());

    FileDialogScript files;
    MessageRecorder messages;
    files.answer(QString()); // cancelled: nothing changes
    w.window.btnOKClick();
    EXPECT_FALSE(w.info->isHidden());
    EXPECT_TRUE(w.installed->isHidden());
    EXPECT_EQ(data.readFile(QStringLiteral("Logo.bmp")), QByteArray("old logo"));

    files.answer(data.file(QStringLiteral("Standard.bmp")));
    w.window.btnOKClick();
    EXPECT_TRUE(messages.empty()) << messages.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(w.info->isHidden());
    EXPECT_FALSE(w.installed->isHidden());
    EXPECT_EQ(w.installed->text(), QStringLiteral("Logotype installed!"));
    EXPECT_EQ(data.readFile(QStringLiteral("Logo.bmp")), picture);
    EXPECT_EQ(data.readFile(QStringLiteral("Standard.bmp")), standard);

    ASSERT_EQ(files.requests().size(), 2u);
    EXPECT_EQ(files.requests()[0].kind, ui::FileRequest::Open);
    EXPECT_EQ(files.requests()[0].directory, Service::DataDir);
    EXPECT_EQ(files.requests()[0].filter, QStringLiteral("bmp|*.bmp"));
}

TEST(LogoCopyWindow, AFailedCopyIsReportedInsteadOfInstalled) {
    TempDataDir data;
    QTemporaryDir root;
    writeBytes(root.filePath(kLogotype), bitmap(24));
    LogoWindow w;
    w.search(root.path());
    w.window.btnYesClick();
    FileDialogScript files;
    MessageRecorder messages;
    files.answer(data.file(QStringLiteral("removed/Standard.bmp")));
    w.window.btnOKClick();
    EXPECT_TRUE(w.installed->isHidden());
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].type, ui::MsgType::Error);
    EXPECT_TRUE(messages.texts()[0].startsWith(QStringLiteral("The logotype was not installed.")));
    EXPECT_FALSE(QFile::exists(data.file(QStringLiteral("removed/Logo.bmp"))));
}

TEST(LogoCopyWindow, AFileThatIsNotAPictureIsReportedAndNotOffered) {
    TempDataDir data;
    QTemporaryDir root;
    writeBytes(root.filePath(kLogotype), "this is a letter, not a picture");
    LogoWindow w;
    MessageRecorder messages;
    w.search(root.path());
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("not a picture")));
    EXPECT_FALSE(w.offersPicture());
    EXPECT_TRUE(w.window.foundLogo().isEmpty());
    EXPECT_TRUE(w.notFound->isHidden());
}

TEST(LogoCopyWindow, BitmapsOfEveryUsualDepthAreShown) {
    TempDataDir data;
    for (const int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        QTemporaryDir root;
        const QByteArray file = bitmap(bits);
        ASSERT_EQ(bitCountOf(file), bits);
        writeBytes(root.filePath(kLogotype), file);
        LogoWindow w;
        MessageRecorder messages;
        w.search(root.path());
        EXPECT_TRUE(messages.empty()) << messages.texts().join(QLatin1Char('|')).toStdString();
        ASSERT_TRUE(w.offersPicture());
        const QImage shown = w.image->pixmap().toImage();
        ASSERT_EQ(shown.size(), QSize(8, 4));
        // Five-bit channels come back as 248, not 255.
        auto near = [](QColor a, QColor b) {
            return qAbs(a.red() - b.red()) < 8 && qAbs(a.green() - b.green()) < 8 &&
                   qAbs(a.blue() - b.blue()) < 8;
        };
        EXPECT_TRUE(near(shown.pixelColor(0, 0), QColor(255, 0, 0)));
        EXPECT_TRUE(near(shown.pixelColor(7, 3), QColor(0, 0, 255)));
    }
}

TEST(LogoCopyWindow, NoPutsTheHomeFolderBackAndHidesTheOffer) {
    TempDataDir data;
    QTemporaryDir root;
    writeBytes(root.filePath(kLogotype), bitmap(24));
    LogoWindow w;
    w.search(root.path());
    w.window.btnYesClick();
    w.window.btnNoClick();
    EXPECT_EQ(w.edDrive->text(), QDir::toNativeSeparators(QDir::homePath()));
    EXPECT_FALSE(w.offersPicture());
    EXPECT_TRUE(w.info->isHidden());
    EXPECT_TRUE(w.notFound->isHidden());
}

TEST(LogoCopyWindow, CancelAndClosingStopARunningSearch) {
    TempDataDir data;
    QTemporaryDir root;
    for (int i = 0; i < 5; ++i)
        makeFolder(root.filePath(QStringLiteral("f%1/g/h").arg(i)));
    for (const QString& name : listedFolders(root.path()))
        writeBytes(root.filePath(name) + QStringLiteral("/g/h/") + kLogotype, bitmap(24));

    {
        LogoWindow w;
        auto* cancel = control<QPushButton>(&w.window, "btnCancel");
        QTimer::singleShot(0, &w.window, [&] {
            EXPECT_FALSE(cancel->isHidden());
            cancel->click();
        });
        w.search(root.path());
        EXPECT_TRUE(w.window.foundLogo().isEmpty());
        EXPECT_FALSE(w.offersPicture());
        EXPECT_TRUE(w.notFound->isHidden());
        EXPECT_TRUE(cancel->isHidden());
        EXPECT_EQ(control<QLabel>(&w.window, "lbSearchState")->text(),
                  QStringLiteral("Search cancelled."));
        // The next search runs to its end.
        w.search(root.path());
        EXPECT_FALSE(w.window.foundLogo().isEmpty());
    }

    // "Back" while searching closes the window; the search stops and nothing is left running.
    bool stopped = false;
    runWindow<TfmLogoCopy>(QStringLiteral("TfmLogoCopy"), [&](TfmLogoCopy* w) {
        control<QLineEdit>(w, "edDrive")->setText(root.path());
        QTimer::singleShot(0, w,
                           [w] { w->findChild<QAction*>(QStringLiteral("mnBack"))->trigger(); });
        w->btnSearchClick();
        stopped = !w->isSearching() && w->foundLogo().isEmpty();
    });
    EXPECT_TRUE(stopped);
}
