// The printed document's whole path for a 40-row and a 2000-row invoice: the report window
// created over the editor's TRow, laid out, and written through the bridge with our PDF
// writer; and the same prepared pages drawn through Qt's own QPrinter in PDF mode.
//
//   print_bench [--rows 40,2000] [--repeat N] [--out DIR]
//
// Prints one line per figure: name, value, unit. Each size runs in a process of its own; times
// are the best of N runs after a first one, memory the growth of the peak resident size during
// that first run, and peak_rss the whole process's peak.
#include "db/database.h"
#include "db/datasetup.h"
#include "db/table.h"
#include "printing/tfmqrinvoice.h"
#include "report/pdfexport.h"
#include "report/preview.h"
#include "report/report.h"
#include "service/currency.h"
#include "service/service.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

void figure(const QString& name, double value, const char* unit) {
    std::printf("%-34s %12.4f %s\n", qPrintable(name), value, unit);
}

long statusKb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLong();
    return 0;
}

// Starts a new measure of the peak resident size (Linux resets it on "5").
void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void fillRows(const QString& dataDir, int count) {
    db::Table rows;
    rows.setDatabaseName(dataDir);
    rows.setTableName(QStringLiteral("TRow"));
    rows.Open();
    db::Transaction transaction(dataDir);
    for (int i = 1; i <= count; ++i) {
        rows.Append();
        rows.FieldByName(QStringLiteral("Item")).setAsString(QString::number(i));
        rows.FieldByName(QStringLiteral("Code")).setAsString(QStringLiteral("C-%1").arg(i));
        rows.FieldByName(QStringLiteral("Description"))
            .setAsString(i % 5 == 0 ? QStringLiteral("Office chair with arm rests and a high back")
                                    : QStringLiteral("Oak shelf %1 x 30 cm").arg(40 + i % 60));
        rows.FieldByName(QStringLiteral("Qty")).setAsFloat(1 + i % 9);
        rows.FieldByName(QStringLiteral("Unit")).setAsString(QStringLiteral("pcs"));
        rows.FieldByName(QStringLiteral("Price"))
            .setAsCurrency(Currency::fromDouble(10.5 + i % 17));
        rows.FieldByName(QStringLiteral("VAT %")).setAsFloat(20);
        rows.FieldByName(QStringLiteral("Sum"))
            .setAsCurrency(Currency::fromDouble((1 + i % 9) * (10.5 + i % 17)));
        if (i % 25 == 0) {
            rows.FieldByName(QStringLiteral("LongDesc")).setAsBoolean(true);
            rows.FieldByName(QStringLiteral("LDesc"))
                .setAsString(QStringLiteral("Delivered to the second floor\nAssembled on site"));
        }
        rows.Post();
    }
    transaction.commit();
    rows.Close();
}

void fillHead(TfmqrInvoice& fm) {
    const std::pair<const char*, const char*> head[] = {{"lbDocument", "Invoice"},
                                                        {"lbInvoiceNo", "2026-0042"},
                                                        {"lbShortName", "NORTHWIND"},
                                                        {"lbCustNo2", "1007"},
                                                        {"lbCust", "Acme Office Supplies"},
                                                        {"lbAddressRow1", "4 Market Lane"},
                                                        {"lbAddressRow2", "Bath"},
                                                        {"lbAddressRow3", "BA1 1AA"},
                                                        {"lbDate2", "24/12/2026"},
                                                        {"lbDueDate2", "23/01/2027"},
                                                        {"lbYourRef2", "Jane Smith"},
                                                        {"lbOurRef2", "John Jones"},
                                                        {"lbTerms2", "30"},
                                                        {"lbSum2", "1,181.40"},
                                                        {"lbVAT2", "236.28"},
                                                        {"lbTotal2", "1,417.68"}};
    for (const auto& [name, text] : head)
        fm.setCaption(QLatin1String(name), QLatin1String(text));
}

struct Run {
    double seconds = 0;
    double layoutSeconds = 0;
    qint64 bytes = 0;
    int pages = 0;
    double peakMb = 0;
};

// The whole path: the window over TRow, laid out and written by our writer.
Run ours(db::Table& rows, const QString& file) {
    Run run;
    resetPeak();
    const long before = statusKb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    {
        TfmqrInvoice fm(nullptr, QStringLiteral("Invoice"));
        fm.setRows(&rows);
        fillHead(fm);
        QString error;
        if (!fm.exportPdf(file, false, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            std::exit(1);
        }
        run.seconds = timer.nsecsElapsed() / 1e9;
        run.peakMb = (statusKb("VmHWM:") - before) / 1024.0;
        run.bytes = QFileInfo(file).size();
        timer.restart();
        run.pages = fm.qrInvoice->prepare().pageCount();
        run.layoutSeconds = timer.nsecsElapsed() / 1e9;
    }
    return run;
}

// The same prepared pages through Qt's QPrinter in PDF mode.
Run qtPrinter(db::Table& rows, const QString& file) {
    TfmqrInvoice fm(nullptr, QStringLiteral("Invoice"));
    fm.setRows(&rows);
    fillHead(fm);
    const report::PreparedDocument document = fm.qrInvoice->prepare();
    Run run;
    resetPeak();
    const long before = statusKb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    if (!report::printPages(document, printer)) {
        std::fprintf(stderr, "QPrinter could not write %s\n", qPrintable(file));
        std::exit(1);
    }
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.peakMb = (statusKb("VmHWM:") - before) / 1024.0;
    run.pages = document.pageCount();
    run.bytes = QFileInfo(file).size();
    return run;
}

// Our writer alone, over the same prepared pages.
double writerOnly(db::Table& rows, const QString& file) {
    TfmqrInvoice fm(nullptr, QStringLiteral("Invoice"));
    fm.setRows(&rows);
    fillHead(fm);
    const report::PreparedDocument document = fm.qrInvoice->prepare();
    QElapsedTimer timer;
    timer.start();
    TgtPDFEngine engine;
    engine.Preferences.OpenAfterCreate = false;
    QString error;
    if (!report::writePdf(document, engine, file, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> sizes{40, 2000};
    int repeat = 5;
    int child = 0;
    QString outDir;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows")) {
            sizes.clear();
            for (const QString& n : args[i + 1].split(QLatin1Char(',')))
                sizes << n.toInt();
        } else if (args[i] == QLatin1String("--repeat")) {
            repeat = std::max(1, args[i + 1].toInt());
        } else if (args[i] == QLatin1String("--child")) {
            child = args[i + 1].toInt();
        } else if (args[i] == QLatin1String("--out")) {
            outDir = args[i + 1];
        }
    }
    QTemporaryDir temp;
    if (child == 0) {
        // Each size runs in a process of its own, so that its memory is its own.
        for (int count : sizes) {
            QProcess run;
            run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            QStringList childArgs{QStringLiteral("--child"), QString::number(count),
                                  QStringLiteral("--repeat"), QString::number(repeat)};
            if (!outDir.isEmpty())
                childArgs << QStringLiteral("--out") << outDir;
            run.start(QCoreApplication::applicationFilePath(), childArgs);
            if (!run.waitForFinished(600000) || run.exitCode() != 0) {
                std::fprintf(stderr, "the run of %d rows failed\n", count);
                return 1;
            }
            std::fputs(run.readAllStandardOutput().constData(), stdout);
        }
        return 0;
    }
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
    Service::DesignFile =
        Service::filePath(Service::shippedDataDir(), QStringLiteral("Classic.ini"));
    Service::CompanyName = QStringLiteral("Northwind Trading Ltd");
    Service::CompanyAddress = QStringLiteral("12 Harbour Street");
    Service::CompanyCity = QStringLiteral("Bristol");
    Service::CompanyZip = QStringLiteral("BS1 4QA");
    Service::CompanyPhone = QStringLiteral("0117 496 0000");
    Service::VATnumber = QStringLiteral("GB 123 4567 89");
    Service::CompanyBank = QStringLiteral("Harbour Bank plc\nSort code 12-34-56");
    Service::VAT = true;
    Service::VATcap = QStringLiteral("VAT");
    Service::Decimals = 2;

    db::Table rows;
    rows.setDatabaseName(dataDir);
    rows.setTableName(QStringLiteral("TRow"));
    const int count = child;
    fillRows(dataDir, count);
    rows.Open();
    const QString tag = QStringLiteral("rows_%1_").arg(count);
    const QString oursFile = outDir + QStringLiteral("/invoice-%1.pdf").arg(count);
    const QString theirsFile = outDir + QStringLiteral("/invoice-%1-qprinter.pdf").arg(count);
    // The first run, cold, shows the memory the path takes; the best of the next ones the time.
    const Run first = ours(rows, oursFile);
    Run best = first;
    for (int i = 0; i < repeat; ++i) {
        const Run r = ours(rows, oursFile);
        if (r.seconds < best.seconds)
            best = r;
    }
    double writer = 1e9;
    for (int i = 0; i < repeat; ++i)
        writer = std::min(writer, writerOnly(rows, oursFile));
    Run qt = qtPrinter(rows, theirsFile);
    const double qtPeak = qt.peakMb;
    for (int i = 0; i < repeat; ++i) {
        const Run r = qtPrinter(rows, theirsFile);
        if (r.seconds < qt.seconds)
            qt = r;
    }
    figure(tag + "pages", best.pages, "pages");
    figure(tag + "print_seconds", best.seconds, "s");
    figure(tag + "layout_seconds", best.layoutSeconds, "s");
    figure(tag + "writer_seconds", writer, "s");
    figure(tag + "pdf_bytes", double(best.bytes), "bytes");
    figure(tag + "peak_rss_growth", first.peakMb, "MB");
    figure(tag + "qprinter_seconds", qt.seconds, "s");
    figure(tag + "qprinter_pdf_bytes", double(qt.bytes), "bytes");
    figure(tag + "qprinter_peak_rss_growth", qtPeak, "MB");
    figure(tag + "writer_vs_qprinter", writer / qt.seconds, "ratio");
    figure(tag + "peak_rss", statusKb("VmHWM:") / 1024.0, "MB");
    return 0;
}
