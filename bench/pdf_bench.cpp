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
            item.text = QLatin1StringView(t.text.data(), qsizetype(t.text.size()));
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

// The streams of an uncompressed file, as zlib alone would be given them.
struct Streams {
    QByteArray data;
    std::vector<std::pair<qsizetype, qsizetype>> spans; // start and length
    qsizetype longest = 0;
    qint64 bytes = 0;
};

Streams readStreams(const QString& uncompressedPath) {
    Streams streams;
    QFile file(uncompressedPath);
    if (!file.open(QIODevice::ReadOnly))
        return streams;
    streams.data = file.readAll();
    qsizetype at = 0;
    while ((at = streams.data.indexOf("stream\r\n", at)) >= 0) {
        const qsizetype start = at + 8;
        const qsizetype end = streams.data.indexOf("\r\nendstream", start);
        if (end < 0)
            break;
        streams.spans.emplace_back(start, end - start);
        streams.longest = std::max(streams.longest, end - start);
        streams.bytes += end - start;
        at = end + 11;
    }
    return streams;
}

// Deflates every stream at zlib's default level, one reused stream as the writer does.
void deflateAll(const Streams& streams) {
    z_stream z{};
    deflateInit(&z, Z_DEFAULT_COMPRESSION);
    std::vector<unsigned char> out(deflateBound(&z, uLong(streams.longest)));
    for (const auto& [start, length] : streams.spans) {
        deflateReset(&z);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(streams.data.constData() + start));
        z.avail_in = uInt(length);
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        deflate(&z, Z_FINISH);
    }
    deflateEnd(&z);
}

// The best (least disturbed) wall-clock and processor times of several runs.
struct Best {
    double wall = 1e30;
    double cpu = 1e30;
    void take(double w, double c) {
        wall = std::min(wall, w);
        cpu = std::min(cpu, c);
    }
};

// Runs the libharu program once and takes its own figures.
bool runLibharu(const QString& harness, int pages, const QString& out, Best& best, QString* bytes) {
    QProcess libharu;
    libharu.start(
        harness, {QStringLiteral("--pages"), QString::number(pages), QStringLiteral("--out"), out});
    if (!libharu.waitForFinished(-1) || libharu.exitCode() != 0)
        return false;
    double wall = 0, cpu = 0;
    const QStringList lines =
        QString::fromLocal8Bit(libharu.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("seconds ")))
            wall = line.mid(8).toDouble();
        else if (line.startsWith(QLatin1String("cpu_seconds ")))
            cpu = line.mid(12).toDouble();
        else if (line.startsWith(QLatin1String("bytes ")))
            *bytes = line.mid(6);
    }
    best.take(wall, cpu);
    return true;
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
    auto timeWriter = [&](Best& best) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = cpuSeconds();
        if (!writeW1(out, pages, true, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            std::exit(1);
        }
        best.take(timer.nsecsElapsed() / 1e9, cpuSeconds() - cpuStart);
    };

    // The first run alone, for the writer's own peak memory.
    Best writer;
    timeWriter(writer);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long peakKb = usage.ru_maxrss;

    // The runs of the three take turns, so that a busy moment of the machine falls on all of
    // them alike.
    QTemporaryDir scratch;
    const QString harness = QCoreApplication::applicationDirPath() + "/pdf_bench_libharu";
    const bool haveHarness = compare && QFileInfo::exists(harness);
    Best libharu, zlib;
    QString libharuBytes;
    Streams streams;
    if (compare) {
        const QString plain = scratch.filePath("plain.pdf");
        if (!writeW1(plain, pages, false, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        streams = readStreams(plain);
    }
    for (int run = 0; run < repeat; ++run) {
        if (run > 0)
            timeWriter(writer);
        if (haveHarness)
            runLibharu(harness, pages, scratch.filePath("libharu.pdf"), libharu, &libharuBytes);
        if (compare) {
            QElapsedTimer timer;
            timer.start();
            const double cpuStart = cpuSeconds();
            deflateAll(streams);
            zlib.take(timer.nsecsElapsed() / 1e9, cpuSeconds() - cpuStart);
        }
    }

    TgtCustomPDFEngine names; // the name the engine wrote
    names.setFileName(out);
    const QString written = names.outputFilePath();
    std::printf("pages %d\nseconds %.4f\nbytes %lld\ncpu_seconds %.4f\npeak_rss_kb %ld\n", pages,
                writer.wall, static_cast<long long>(QFileInfo(written).size()), writer.cpu, peakKb);
    if (haveHarness) {
        std::printf("libharu_seconds %.4f\nlibharu_bytes %s\nlibharu_cpu_seconds %.4f\n"
                    "ratio_to_libharu %.3f\ncpu_ratio_to_libharu %.3f\n",
                    libharu.wall, qPrintable(libharuBytes), libharu.cpu, writer.wall / libharu.wall,
                    writer.cpu / libharu.cpu);
    } else if (compare) {
        std::printf("libharu_seconds unavailable (pdf_bench_libharu not built)\n");
    }
    if (compare) {
        std::printf("zlib_seconds %.4f\nzlib_cpu_seconds %.4f\nzlib_input_bytes %lld\n"
                    "ratio_to_zlib %.3f\ncpu_ratio_to_zlib %.3f\n",
                    zlib.wall, zlib.cpu, static_cast<long long>(streams.bytes),
                    writer.wall / zlib.wall, writer.cpu / zlib.cpu);
    }
    return 0;
}
