// An invoice of 40 and one of 2000 rows, each written as a plain PDF and as Factur-X (PDF/A-3b
// with its CII XML) in the same run. The document is the printed invoice layout (TfmqrInvoice
// in the shipped Classic design, rows from a memory data source, as the tests print it).
//
//   einvoice_bench [--rows N[,N...]] [--runs R] [--out DIR]
//
// Each figure is the median of R runs (default 31 of an invoice up to 200 rows, 5 of a longer
// one) after one run that is not counted (it loads the fonts).
// Plain: layout + PDF. Factur-X: layout + XML + PDF/A. Peak memory is the resident peak of each
// phase (reset between phases through /proc/self/clear_refs).
#include "../tests/einvoice/documents.h"
#include "../tests/report/printedinvoice.h"

#include "einvoice/einvoice.h"
#include "peakmemory.h"
#include "report/facturx.h"
#include "report/pdfexport.h"
#include "service/service.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void figure(const QString& name, double value, const char* unit) {
    std::printf("%-40s %12.3f %s\n", qPrintable(name), value, unit);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// An invoice of `count` rows in two VAT rates, some with a discount, every tenth with a long
// description, computed as the editor computes them.
einvoice::Invoice invoiceOf(int count) {
    einvoice::Invoice invoice = testdocs::simpleInvoice();
    invoice.number = QStringLiteral("2025-%1").arg(count, 4, 10, QLatin1Char('0'));
    invoice.rows.clear();
    for (int i = 0; i < count; ++i) {
        einvoice::Row row = testdocs::row(
            QStringLiteral("Article %1, Kupferrohr %2 mm").arg(i + 1).arg(10 + i % 30), 1 + i % 7,
            i % 3 ? QStringLiteral("pcs") : QStringLiteral("m"), 3.25 + (i % 50) * 1.1,
            i % 4 ? 19 : 7, i % 5 ? 0 : 10, QStringLiteral("A-%1").arg(1000 + i));
        if (i % 10 == 9)
            row.longDescription = QStringLiteral("Delivered in parts; the remainder follows.");
        invoice.rows << row;
    }
    testdocs::computeRows(invoice);
    return invoice;
}

struct Phase {
    std::vector<double> total, layout, xml, pdf;
    long peakKb = 0;
    qint64 bytes = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> sizes{40, 2000};
    int runs = 0; // 0: 31 runs of a short invoice, 5 of a long one
    QString outDir;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows")) {
            sizes.clear();
            for (const QString& n : args[i + 1].split(u','))
                sizes << n.toInt();
        } else if (args[i] == QLatin1String("--runs")) {
            runs = std::max(1, args[i + 1].toInt());
        } else if (args[i] == QLatin1String("--out")) {
            outDir = args[i + 1];
        }
    }
    QTemporaryDir temp;
    if (outDir.isEmpty())
        outDir = temp.path();
    Service::Decimals = 2;

    bool allMet = true;
    for (const int count : std::as_const(sizes)) {
        const einvoice::Invoice invoice = invoiceOf(count);
        PrintedInvoice printed(invoice);
        report::Report& report = printed.r();
        const QString plainFile = outDir + QStringLiteral("/invoice-%1.pdf").arg(count);
        const QString facturXFile = outDir + QStringLiteral("/invoice-%1-facturx.pdf").arg(count);
        Phase plain, facturX;
        int pages = 0;
        QElapsedTimer timer;
        const int runsHere = runs > 0 ? runs : count <= 200 ? 31 : 5;
        for (int run = 0; run <= runsHere; ++run) {
            const bool counted = run > 0;
            // Plain: lay out, write.
            resetPeakRss();
            timer.start();
            const report::PreparedDocument plainPages = report.prepare();
            const double plainLayout = timer.nsecsElapsed() / 1e6;
            report::TQRPDFDocumentFilter filter(plainFile);
            report::TgtQRExportInterface bridge(&filter.engine());
            if (!bridge.RenderPrepared(plainPages)) {
                std::fprintf(stderr, "%s\n", qPrintable(bridge.errorString()));
                return 1;
            }
            const double plainTotal = timer.nsecsElapsed() / 1e6;
            plain.peakKb = std::max(plain.peakKb, peakRssKb());

            // Factur-X: lay out, the XML, the PDF/A file with it attached.
            resetPeakRss();
            timer.restart();
            const report::PreparedDocument pages2 = report.prepare();
            const double fxLayout = timer.nsecsElapsed() / 1e6;
            const QByteArray xml = einvoice::writeCii(invoice);
            const double fxXml = timer.nsecsElapsed() / 1e6 - fxLayout;
            QString error;
            if (!report::writeFacturX(pages2, xml, facturXFile, &error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 1;
            }
            const double fxTotal = timer.nsecsElapsed() / 1e6;
            facturX.peakKb = std::max(facturX.peakKb, peakRssKb());
            pages = pages2.pageCount();
            if (!counted)
                continue;
            plain.total.push_back(plainTotal);
            plain.layout.push_back(plainLayout);
            plain.pdf.push_back(plainTotal - plainLayout);
            facturX.total.push_back(fxTotal);
            facturX.layout.push_back(fxLayout);
            facturX.xml.push_back(fxXml);
            facturX.pdf.push_back(fxTotal - fxLayout - fxXml);
        }
        plain.bytes = QFileInfo(plainFile).size();
        facturX.bytes = QFileInfo(facturXFile).size();

        const QString n = QString::number(count) + QStringLiteral(" rows ");
        figure(n + QStringLiteral("pages"), pages, "pages");
        figure(n + QStringLiteral("plain: layout"), median(plain.layout), "ms");
        figure(n + QStringLiteral("plain: PDF"), median(plain.pdf), "ms");
        figure(n + QStringLiteral("plain: total"), median(plain.total), "ms");
        figure(n + QStringLiteral("plain: file size"), plain.bytes / 1024.0, "KiB");
        figure(n + QStringLiteral("plain: peak memory"), plain.peakKb / 1024.0, "MiB");
        figure(n + QStringLiteral("Factur-X: layout"), median(facturX.layout), "ms");
        figure(n + QStringLiteral("Factur-X: XML"), median(facturX.xml), "ms");
        figure(n + QStringLiteral("Factur-X: PDF/A"), median(facturX.pdf), "ms");
        figure(n + QStringLiteral("Factur-X: total"), median(facturX.total), "ms");
        figure(n + QStringLiteral("Factur-X: file size"), facturX.bytes / 1024.0, "KiB");
        figure(n + QStringLiteral("Factur-X: XML size"),
               einvoice::writeCii(invoice).size() / 1024.0, "KiB");
        figure(n + QStringLiteral("Factur-X: peak memory"), facturX.peakKb / 1024.0, "MiB");
        const double ratio = median(facturX.total) / std::max(1e-9, median(plain.total));
        figure(n + QStringLiteral("Factur-X / plain"), ratio, "x (target <= 1.5)");
        allMet = allMet && ratio <= 1.5;
        if (count == 40) {
            allMet = allMet && median(facturX.total) < 50;
            std::printf("%-40s %s\n", "40 rows Factur-X under 50 ms",
                        median(facturX.total) < 50 ? "yes" : "NO");
        }
    }
    std::printf("%-40s %s\n", "targets met", allMet ? "yes" : "NO");
    return 0;
}
