// Writes workload W1 (see w1.h) through the PDF writer and prints its figures, beside the time
// libharu needs for the same document (pdf_bench_libharu, run as a child process) and the time
// zlib alone needs to deflate the same streams at the same level.
//
//   pdf_bench --pages N --out FILE [--repeat R] [--no-compare]
//
// Each time is the best of R runs (default 3): the machine is shared, and the best run is the
// one least disturbed by others.
#include "pdf/pdfengine.h"
#include "w1.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <zlib.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Processor time of this process: on a machine shared with others it varies far less than
// wall-clock time, which counts the time spent waiting for a core.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

QImage w1Image() {
    const std::vector<unsigned char> samples = w1::imageSamples();
    QImage image(w1::kImageWidth, w1::kImageHeight, QImage::Format_RGB888);
    for (int y = 0; y < w1::kImageHeight; ++y)
        std::memcpy(image.scanLine(y), samples.data() + size_t(y) * w1::kImageWidth * 3,
                    size_t(w1::kImageWidth) * 3);
    return image;
}

// Input units are points (72 per inch), so W1's numbers go in unchanged; a text item's top is
// its baseline less the font size.
bool writeW1(const QString& path, int pages, bool compress, QString* error) {
    TgtCustomPDFEngine pdf;
    pdf.InputXRes = 72;
    pdf.InputYRes = 72;
    pdf.Page.Width = w1::kPageWidth / 72.0;
    pdf.Page.Height = w1::kPageHeight / 72.0;
    pdf.Preferences.OpenAfterCreate = false;
    pdf.Preferences.ShowSetupDialog = false;
    pdf.Compression.Enabled = compress;
    pdf.setFileName(path);
    if (!pdf.beginDoc()) {
        *error = pdf.errorString();
        return false;
    }
    const QImage image = w1Image();
    const QPen noPen(Qt::NoPen);
    const QPen framePen(Qt::black, 2);
    const QPen rulePen(Qt::black, 0.5);
    const QBrush silver(QColor(0xC0, 0xC0, 0xC0));
    TgtCustomPDFEngine::TextItem item;
    item.fontName = QStringLiteral("Arial");
    std::vector<w1::Text> texts;
    for (int p = 0; p < pages; ++p) {
        pdf.beginPage();
        const w1::Rect band = w1::kTitleBand;
        pdf.drawRect(QRectF(band.x, band.y, band.w, band.h), noPen, silver);
        w1::pageTexts(p, texts);
        for (const w1::Text& t : texts) {
            item.text = QString::fromLatin1(t.text.data(), qsizetype(t.text.size()));
            item.bold = t.bold;
            item.fontSize = t.size;
            item.rect = QRectF(t.x, t.baseline - t.size, 200, t.size * 1.2);
            pdf.drawText(item);
        }
        const w1::Rect frame = w1::kFrame;
        pdf.drawRect(QRectF(frame.x, frame.y, frame.w, frame.h), framePen, Qt::NoBrush);
        for (const double y : w1::kRuleYs)
            pdf.drawLine(QPointF(w1::kRuleFrom, y), QPointF(w1::kRuleTo, y), rulePen);
        if (p == 0) {
            const w1::Rect place = w1::kImagePlace;
            pdf.drawImage(QRectF(place.x, place.y, place.w, place.h), image);
        }
        pdf.endPage();
    }
    if (!pdf.endDoc()) {
        *error = pdf.errorString();
        return false;
    }
    return true;
}

// Seconds zlib needs to deflate every stream of an uncompressed file at its default level.
double zlibSeconds(const QString& uncompressedPath, qint64* streamBytes, double* cpu) {
    QFile file(uncompressedPath);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = file.readAll();
    std::vector<std::pair<qsizetype, qsizetype>> streams;
    qsizetype at = 0;
    *streamBytes = 0;
    while ((at = data.indexOf("stream\r\n", at)) >= 0) {
        const qsizetype start = at + 8;
        const qsizetype end = data.indexOf("\r\nendstream", start);
        if (end < 0)
            break;
        streams.emplace_back(start, end - start);
        *streamBytes += end - start;
        at = end + 11;
    }
    z_stream z{};
    deflateInit(&z, Z_DEFAULT_COMPRESSION);
    qsizetype longest = 0;
    for (const auto& stream : streams)
        longest = std::max(longest, stream.second);
    std::vector<unsigned char> out(deflateBound(&z, uLong(longest)));
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuSeconds();
    for (const auto& [start, length] : streams) {
        deflateReset(&z);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData() + start));
        z.avail_in = uInt(length);
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        deflate(&z, Z_FINISH);
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    *cpu = cpuSeconds() - cpuStart;
    deflateEnd(&z);
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int pages = 200;
    QString out = QStringLiteral("/tmp/w1-merovia.pdf");
    bool compare = true;
    int repeat = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--pages") && i + 1 < args.size())
            pages = args[++i].toInt();
        else if (args[i] == QLatin1String("--out") && i + 1 < args.size())
            out = args[++i];
        else if (args[i] == QLatin1String("--repeat") && i + 1 < args.size())
            repeat = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--no-compare"))
            compare = false;
    }
    if (pages < 1)
        pages = 1;

    QString error;
    double seconds = 1e30;
    double cpu = 1e30;
    for (int run = 0; run < repeat; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = cpuSeconds();
        if (!writeW1(out, pages, true, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        cpu = std::min(cpu, cpuSeconds() - cpuStart);
        seconds = std::min(seconds, timer.nsecsElapsed() / 1e9);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const QString written =
        QFileInfo(out).path() + u'/' + QFileInfo(out).completeBaseName() + QStringLiteral(".pdf");
    std::printf("pages %d\nseconds %.4f\nbytes %lld\ncpu_seconds %.4f\npeak_rss_kb %ld\n", pages,
                seconds, static_cast<long long>(QFileInfo(written).size()), cpu, usage.ru_maxrss);
    std::fflush(stdout);
    if (!compare)
        return 0;

    QTemporaryDir scratch;
    const QString harness = QCoreApplication::applicationDirPath() + "/pdf_bench_libharu";
    if (QFileInfo::exists(harness)) {
        double harSeconds = 1e30;
        double harCpu = 1e30;
        QString harBytes;
        for (int run = 0; run < repeat; ++run) {
            QProcess libharu;
            libharu.start(harness, {QStringLiteral("--pages"), QString::number(pages),
                                    QStringLiteral("--out"), scratch.filePath("libharu.pdf")});
            libharu.waitForFinished(-1);
            const QStringList lines = QString::fromLocal8Bit(libharu.readAllStandardOutput())
                                          .split(u'\n', Qt::SkipEmptyParts);
            for (const QString& line : lines) {
                if (line.startsWith(QLatin1String("seconds ")))
                    harSeconds = std::min(harSeconds, line.mid(8).toDouble());
                else if (line.startsWith(QLatin1String("cpu_seconds ")))
                    harCpu = std::min(harCpu, line.mid(12).toDouble());
                else if (line.startsWith(QLatin1String("bytes ")))
                    harBytes = line.mid(6);
            }
        }
        std::printf("libharu_bytes %s\n", qPrintable(harBytes));
        std::printf("libharu_seconds %.4f\nlibharu_cpu_seconds %.4f\nratio_to_libharu %.3f\n"
                    "cpu_ratio_to_libharu %.3f\n",
                    harSeconds, harCpu, seconds / harSeconds, cpu / harCpu);
    } else {
        std::printf("libharu_seconds unavailable (pdf_bench_libharu not built)\n");
    }

    const QString plain = scratch.filePath("plain.pdf");
    if (!writeW1(plain, pages, false, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    qint64 streamBytes = 0;
    double zlib = 1e30;
    double zlibCpu = 1e30;
    for (int run = 0; run < repeat; ++run) {
        double runCpu = 0;
        zlib = std::min(zlib, zlibSeconds(plain, &streamBytes, &runCpu));
        zlibCpu = std::min(zlibCpu, runCpu);
    }
    std::printf("zlib_seconds %.4f\nzlib_cpu_seconds %.4f\nzlib_input_bytes %lld\n"
                "ratio_to_zlib %.3f\ncpu_ratio_to_zlib %.3f\n",
                zlib, zlibCpu, static_cast<long long>(streamBytes), seconds / zlib, cpu / zlibCpu);
    return 0;
}
