#include "report/datasource.h"
#include "report/preview.h"
#include "report/report.h"

#include "support/printers.h"
#include "support/uihooks.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;

namespace {

struct SmallReport {
    SmallReport()
        : source({"Name"}) {
        for (int i = 0; i < 80; ++i)
            source.append({QString("Row %1").arg(i)});
        r.setObjectName("qrSmall");
        r.setDataSource(&source);
        auto* detail = r.addBand(BandKind::Detail, "Detail", 30);
        new DBText(detail, "dbName", "Name");
        r.onAfterPrint = [this](Report&) { ++afterPrint; };
    }
    MemoryDataSource source;
    Report r;
    int afterPrint = 0;
};

int pdfPages(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = f.readAll();
    return static_cast<int>(data.count("/Type /Page\n") + data.count("/Type /Page\r") +
                            data.count("/Type /Page "));
}

void trigger(QWidget* window, const char* name) {
    auto* action = window->findChild<QAction*>(QLatin1String(name));
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
}

} // namespace

TEST(ReportPreview, ClosingThePreviewIsNotPrinting) {
    SmallReport s;
    ModalScript script;
    PrintDialogScript printDialog;
    int pagesSeen = 0;
    script.on("ReportPreview", [&](QWidget* w) {
        auto* preview = qobject_cast<PreviewWindow*>(w);
        ASSERT_NE(preview, nullptr);
        pagesSeen = preview->document().pageCount();
        EXPECT_EQ(preview->currentPage(), 1);
        trigger(w, "btnNext");
        EXPECT_EQ(preview->currentPage(), 2);
        trigger(w, "btnLast");
        EXPECT_EQ(preview->currentPage(), pagesSeen);
        trigger(w, "btnNext");
        EXPECT_EQ(preview->currentPage(), pagesSeen);
        const double zoom = preview->zoom();
        trigger(w, "btnZoomIn");
        EXPECT_GT(preview->zoom(), zoom);
        trigger(w, "btnClose");
    });
    previewReport(s.r, nullptr);
    EXPECT_EQ(script.shown(), QStringList{"ReportPreview"});
    EXPECT_GE(pagesSeen, 2);
    EXPECT_EQ(printDialog.shown(), 0);
    EXPECT_EQ(s.afterPrint, 0);
}

TEST(ReportPreview, PrintingFromThePreviewSendsEveryCopyAndFiresAfterPrint) {
    QTemporaryDir dir;
    SmallReport s;
    s.r.setCopies(2);
    s.r.setPreviewMaximized(true);
    const QString pdf = dir.filePath("printed.pdf");
    ModalScript script;
    PrintDialogScript printDialog;
    printDialog.answer(QString()); // the first time the user cancels the print dialog
    printDialog.answer(pdf);
    int pages = 0;
    script.on("ReportPreview", [&](QWidget* w) {
        auto* preview = qobject_cast<PreviewWindow*>(w);
        EXPECT_TRUE(w->windowState() & Qt::WindowMaximized);
        pages = preview->document().pageCount();
        trigger(w, "btnPrint");
        EXPECT_FALSE(preview->printed());
        EXPECT_EQ(s.afterPrint, 0);
        trigger(w, "btnPrint");
        EXPECT_TRUE(preview->printed());
    });
    previewReport(s.r, nullptr);
    EXPECT_EQ(printDialog.offeredCopies(), (std::vector<int>{2, 2}));
    EXPECT_EQ(s.afterPrint, 1);
    EXPECT_EQ(pdfPages(pdf), 2 * pages);
}

TEST(ReportPreview, DirectPrintingUsesTheSameDialog) {
    QTemporaryDir dir;
    SmallReport s;
    PrintDialogScript printDialog;
    EXPECT_FALSE(printReport(s.r, nullptr));
    EXPECT_EQ(s.afterPrint, 0);
    printDialog.answer(dir.filePath("direct.pdf"));
    EXPECT_TRUE(printReport(s.r, nullptr));
    EXPECT_EQ(s.afterPrint, 1);
    EXPECT_EQ(pdfPages(dir.filePath("direct.pdf")), s.r.prepared().pageCount());
}
