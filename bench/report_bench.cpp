// The tax list of a large tax table: lay it out once, write it with our PDF writer, and draw the
// same prepared pages through Qt's own QPrinter in PDF mode for comparison.
//
//   report_bench [--taxes N] [--out DIR]
//
// Prints one line per figure: name, value, unit.
#include "db/database.h"
#include "db/datasetup.h"
#include "db/table.h"
#include "peakmemory.h"
#include "report/pdfexport.h"
#include "report/preview.h"
#include "report/report.h"
#include "service/service.h"
#include "taxes/tfmqrtaxprint.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void figure(const char* name, double value, const char* unit) {
    std::printf("%-28s %12.4f %s\n", name, value, unit);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int count = 10000;
    QString outDir;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--taxes"))
            count = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--out"))
            outDir = args[i + 1];
    }
    QTemporaryDir temp;
    if (outDir.isEmpty())
        outDir = temp.path();
    const QString dataDir = temp.path() + QStringLiteral("/data");
    QString error;
    if (!db::createDataDir(dataDir, false, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    Service::DataDir = dataDir;
    Service::Country = QStringLiteral("GB");
    Service::CompanyName = QStringLiteral("Merovia Test Company Ltd");

    db::Table taxes;
    taxes.setDatabaseName(dataDir);
    taxes.setTableName(QStringLiteral("Taxes"));
    taxes.Open();
    {
        db::Transaction transaction(dataDir);
        for (int i = 0; i < count; ++i) {
            taxes.Append();
            taxes.FieldByName(QStringLiteral("Description"))
                .setAsString(QStringLiteral("Environmental charge number %1").arg(i + 1));
            taxes.FieldByName(QStringLiteral("Percent")).setAsFloat(0.5 + (i % 40) * 0.25);
            taxes.Post();
        }
        transaction.commit();
    }
    taxes.First();

    TfmqrTaxPrint form(nullptr);
    form.setDataSet(&taxes);
    form.setCompanyName(Service::CompanyName);
    report::Report& report = *form.qrTaxPrint;

    QElapsedTimer timer;
    timer.start();
    const report::PreparedDocument document = report.prepare();
    const double layoutSeconds = timer.nsecsElapsed() / 1e9;

    const QString ours = outDir + QStringLiteral("/taxlist.pdf");
    TgtPDFEngine engine;
    engine.setFileName(ours);
    engine.Preferences.ShowSetupDialog = false;
    engine.Preferences.OpenAfterCreate = false;
    report::TgtQRExportInterface bridge(&engine);
    timer.restart();
    if (!bridge.RenderPrepared(document)) {
        std::fprintf(stderr, "%s\n", qPrintable(bridge.errorString()));
        return 1;
    }
    const double pdfSeconds = timer.nsecsElapsed() / 1e9;

    const QString theirs = outDir + QStringLiteral("/taxlist-qprinter.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(theirs);
    timer.restart();
    if (!report::printPages(document, printer)) {
        std::fprintf(stderr, "QPrinter could not write %s\n", qPrintable(theirs));
        return 1;
    }
    const double qprinterSeconds = timer.nsecsElapsed() / 1e9;

    figure("taxes", count, "records");
    figure("pages", double(document.pages.size()), "pages");
    figure("layout_seconds", layoutSeconds, "s");
    figure("pdf_seconds", pdfSeconds, "s");
    figure("pdf_bytes", double(QFileInfo(ours).size()), "bytes");
    figure("qprinter_pdf_seconds", qprinterSeconds, "s");
    figure("qprinter_pdf_bytes", double(QFileInfo(theirs).size()), "bytes");
    figure("pdf_vs_qprinter", pdfSeconds / qprinterSeconds, "ratio");
    figure("peak_rss", peakRssKb() / 1024.0, "MB");
    return 0;
}
