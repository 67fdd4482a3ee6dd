#include "report/datasource.h"
#include "report/preview.h"
#include "report/report.h"

#include "support/printers.h"
#include "support/uihooks.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

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
    // Qt writes "/Type /Page", our writer "/Type/Page"; "/Pages" is the page tree.
    const QString data = QString::fromLatin1(f.readAll());
    return static_cast<int>(data.count(QRegularExpression("/Type\\s*/Page(?![s])")));
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

TEST(ReportPreview, OpensMaximisedWithPageCountPageChoiceAndZoomChoices) {
    SmallReport s; // the report does not ask for it: every preview opens maximised
    ModalScript script;
    script.on("ReportPreview", [&](QWidget* w) {
        auto* preview = qobject_cast<PreviewWindow*>(w);
        EXPECT_TRUE(w->windowState() & Qt::WindowMaximized);
        const int count = preview->document().pageCount();
        ASSERT_GE(count, 3);
        EXPECT_EQ(w->findChild<QLabel*>("lbPageOf")->text(), QString("of %1").arg(count));
        auto* page = w->findChild<QSpinBox*>("sePage");
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->value(), 1);
        EXPECT_EQ(page->maximum(), count);
        page->setValue(2);
        EXPECT_EQ(preview->currentPage(), 2);
        QTest::keyClick(w, Qt::Key_PageDown);
        EXPECT_EQ(preview->currentPage(), 3);
        EXPECT_EQ(page->value(), 3);
        QTest::keyClick(w, Qt::Key_PageUp);
        EXPECT_EQ(preview->currentPage(), 2);
        QTest::keyClick(w, Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(preview->currentPage(), count);

        auto* zoom = w->findChild<QComboBox*>("cbZoom");
        ASSERT_NE(zoom, nullptr);
        const int twice = zoom->findText("200 %");
        ASSERT_GE(twice, 0);
        zoom->setCurrentIndex(twice);
        emit zoom->activated(twice);
        EXPECT_DOUBLE_EQ(preview->zoom(), 2.0);
        trigger(w, "btnZoomIn");
        EXPECT_DOUBLE_EQ(preview->zoom(), 2.5);
        EXPECT_EQ(zoom->currentText(), "250 %");
        const int whole = zoom->findText("Whole page");
        emit zoom->activated(whole);
        EXPECT_LT(preview->zoom(), 2.0);
        EXPECT_FALSE(zoom->currentText().isEmpty());
        trigger(w, "btnClose");
    });
    previewReport(s.r, nullptr);
    EXPECT_EQ(s.afterPrint, 0);
}

TEST(ReportPreview, SaveAsPdfWritesThePagesShownThroughOurWriter) {
    QTemporaryDir dir;
    SmallReport s;
    s.r.setTitle("Customer list");
    ModalScript script;
    FileDialogScript files;
    MessageRecorder messages;
    files.answer(QString()); // cancelled: nothing is written
    files.answer(dir.filePath("list"));
    QStringList saved;
    int pages = 0;
    script.on("ReportPreview", [&](QWidget* w) {
        auto* preview = qobject_cast<PreviewWindow*>(w);
        pages = preview->document().pageCount();
        trigger(w, "btnSavePdf");
        EXPECT_TRUE(preview->savedPdfFiles().isEmpty());
        trigger(w, "btnSavePdf");
        EXPECT_EQ(preview->savedPdfFiles(), QStringList{dir.filePath("list.pdf")});
        EXPECT_FALSE(preview->printed());
    });
    PreviewOptions options;
    options.pdfSaved = [&](const QString& file) { saved << file; };
    previewReport(s.r, nullptr, options);
    ASSERT_EQ(files.requests().size(), 2u);
    EXPECT_EQ(files.requests()[0].fileName, "Customer list.pdf");
    EXPECT_TRUE(files.requests()[0].filter.contains("*.pdf"));
    EXPECT_EQ(saved, QStringList{dir.filePath("list.pdf")});
    EXPECT_EQ(pdfPages(dir.filePath("list.pdf")), pages);
    QFile file(dir.filePath("list.pdf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("/Producer")) << "written by our writer";
    EXPECT_TRUE(messages.empty());
    // Saving a PDF is no print.
    EXPECT_EQ(s.afterPrint, 0);
}

TEST(ReportPreview, CopiesAreSentAsPagesSoEveryPrinterGetsThemAll) {
    QTemporaryDir dir;
    SmallReport s;
    const PreparedDocument doc = s.r.prepare();
    for (const bool collate : {true, false}) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString file = dir.filePath(collate ? "collated.pdf" : "uncollated.pdf");
        printer.setOutputFileName(file);
        printer.setCopyCount(3);
        printer.setCollateCopies(collate);
        ASSERT_TRUE(printPages(doc, printer));
        EXPECT_EQ(pdfPages(file), 3 * doc.pageCount()) << collate;
    }
    // Copy after copy, or each page that many times; on two-sided paper each copy of an odd
    // number of pages starts on a sheet of its own (-1 is a blank page).
    EXPECT_EQ(printOrder(2, 2, true, false), (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(printOrder(2, 2, false, false), (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(printOrder(3, 2, true, true), (std::vector<int>{0, 1, 2, -1, 0, 1, 2}));
    EXPECT_EQ(printOrder(2, 2, true, true), (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(printOrder(1, 1, true, true), (std::vector<int>{0}));
}
