// Printing for real: the invoice goes from the preview's "Print" through the print dialog to a
// CUPS queue of the test's own print server, and the PDF the queue writes is read back.
#include "printing/tfmqrinvoice.h"
#include "report/report.h"
#include "service/service.h"

#include "../pdf/pdftestsupport.h"
#include "support/cupsprinter.h"
#include "support/uihooks.h"
#include "trowinvoice.h"

#include <QAction>
#include <QPrinter>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

int pagesOf(const QString& pdf) {
    const ToolRun info = runTool(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info.output);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Confirms every print dialog with the test's queue chosen, remembering the copies offered.
struct ChooseQueue {
    explicit ChooseQueue(const QString& queue) {
        m_previous = ui::setPrinterHook([this, queue](QPrinter& printer) {
            offered.push_back(printer.copyCount());
            printer.setPrinterName(queue);
            return printer.printerName() == queue &&
                   printer.outputFormat() == QPrinter::NativeFormat;
        });
    }
    ~ChooseQueue() { ui::setPrinterHook(std::move(m_previous)); }
    std::vector<int> offered;

private:
    ui::PrinterHook m_previous;
};

} // namespace

TEST(CupsPrint, AnInvoicePrintedFromThePreviewReachesTheQueueWithEveryCopy) {
    CupsPdfPrinter cups;
    if (!cups.ready())
        GTEST_SKIP() << qPrintable(cups.skipReason());
    TRowInvoice inv;
    setTestCompany();
    Service::DesignFile = shippedDesign(QStringLiteral("Classic"));
    inv.addNumbered(40);
    TfmqrInvoice& fm = inv.form();
    // The editor's "Copies" setting.
    fm.qrInvoice->setCopies(2);
    ChooseQueue queue(cups.printerName());
    ModalScript modal;
    int pages = 0;
    modal.on(QStringLiteral("ReportPreview"), [&](QWidget* w) {
        pages = fm.qrInvoice->prepared().pageCount();
        w->findChild<QAction*>(QStringLiteral("btnPrint"))->trigger();
    });
    fm.Preview();
    ASSERT_EQ(queue.offered, std::vector<int>{2});
    EXPECT_TRUE(fm.printed());
    ASSERT_EQ(pages, 2);

    const QStringList files = cups.waitForOutput(1);
    ASSERT_EQ(files.size(), 1) << qPrintable(cups.errorLog().right(2000));
    EXPECT_EQ(runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), files[0]}).exitCode, 0);
    // Two copies of the two pages, in order.
    EXPECT_EQ(pagesOf(files[0]), 2 * pages);
    const QString text =
        runTool(QStringLiteral("pdftotext"), {files[0], QStringLiteral("-")}).output;
    for (const char* row : {"Row 0001 oak shelf", "Row 0040 oak shelf", "Northwind Trading Ltd"})
        EXPECT_GE(text.count(QLatin1String(row)), 2) << row << "\n" << qPrintable(text.left(2000));
    EXPECT_EQ(text.count(QStringLiteral("Row 0040 oak shelf")), 2);
    EXPECT_LT(text.indexOf(QStringLiteral("Row 0001")), text.indexOf(QStringLiteral("Row 0040")));
}

TEST(CupsPrint, APrintCancelledInTheDialogSendsNothing) {
    CupsPdfPrinter cups;
    if (!cups.ready())
        GTEST_SKIP() << qPrintable(cups.skipReason());
    TRowInvoice inv;
    setTestCompany();
    inv.addNumbered(3);
    PrintDialogScript cancel; // no answer: the dialog is cancelled
    ModalScript modal;
    modal.on(QStringLiteral("ReportPreview"),
             [&](QWidget* w) { w->findChild<QAction*>(QStringLiteral("btnPrint"))->trigger(); });
    inv.form().Preview();
    EXPECT_FALSE(inv.form().printed());
    EXPECT_TRUE(cups.waitForOutput(0, 2000).isEmpty());
}
