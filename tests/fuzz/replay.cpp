// The normal build's driver for a fuzz target: runs every file of the given corpus folders
// (or single files) once, then, for --seconds (default 0), inputs made from them by simple
// random changes: bits flipped, bytes set, inserted, deleted or repeated, pieces of two inputs
// joined. A failing input (a broken check, a crash) is written to fuzz-failure-<target> in the
// working folder and shown in hexadecimal, so that it can join the corpus as a regression case.
//
//     fuzz_settings [--seconds N] [--seed S] tests/fuzz/corpus/settings [more paths...]

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

// The input under test, for the signal handler.
const QByteArray* g_current = nullptr;
char g_failureFile[4096] = "fuzz-failure";

void writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            return;
        data += n;
        size -= size_t(n);
    }
}

// Only async-signal-safe calls: the process is going down.
void keepFailingInput() {
    if (!g_current)
        return;
    const int fd = ::open(g_failureFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        writeAll(fd, g_current->constData(), size_t(g_current->size()));
        ::close(fd);
    }
    static const char hex[] = "0123456789abcdef";
    const char head[] = "\nfailing input (hex): ";
    writeAll(2, head, sizeof head - 1);
    const qsizetype shown = std::min<qsizetype>(g_current->size(), 4096);
    for (qsizetype i = 0; i < shown; ++i) {
        const auto b = static_cast<unsigned char>(g_current->at(i));
        const char pair[2] = {hex[b >> 4], hex[b & 15]};
        writeAll(2, pair, 2);
    }
    const char tail[] = "\nkept in ";
    writeAll(2, tail, sizeof tail - 1);
    writeAll(2, g_failureFile, std::strlen(g_failureFile));
    writeAll(2, "\n", 1);
}

void onFatalSignal(int sig) {
    keepFailingInput();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void run(const QByteArray& input) {
    g_current = &input;
    try {
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()),
                               size_t(input.size()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "uncaught exception: %s\n", e.what());
        keepFailingInput();
        std::exit(1);
    }
    g_current = nullptr;
}

QByteArray mutate(const std::vector<QByteArray>& corpus, std::mt19937& random) {
    auto pick = [&](size_t n) { return n ? size_t(random() % n) : 0; };
    QByteArray data = corpus.empty() ? QByteArray() : corpus[pick(corpus.size())];
    static const char* const tokens[] = {"\n",
                                         "\r\n",
                                         "=",
                                         "[",
                                         "]",
                                         "\\",
                                         "'",
                                         "\"",
                                         "(",
                                         ")",
                                         "%",
                                         "#",
                                         "\xC3\xA9",
                                         "\xF0\x9F\x98\x80",
                                         "\xED\xA0\x80",
                                         "\xFF",
                                         "\x00",
                                         "-2147483648",
                                         "99999999999",
                                         "\t"};
    const int changes = 1 + int(random() % 4);
    for (int i = 0; i < changes; ++i) {
        const size_t size = size_t(data.size());
        switch (random() % 7) {
        case 0:
            if (size)
                data[qsizetype(pick(size))] ^= char(1u << (random() % 8));
            break;
        case 1:
            if (size)
                data[qsizetype(pick(size))] = char(random());
            break;
        case 2:
            data.insert(qsizetype(pick(size + 1)), char(random()));
            break;
        case 3:
            if (size) {
                const size_t at = pick(size);
                data.remove(qsizetype(at), qsizetype(1 + pick(std::min<size_t>(size - at, 16))));
            }
            break;
        case 4:
            if (size) {
                const size_t at = pick(size);
                const size_t n = 1 + pick(std::min<size_t>(size - at, 32));
                data.insert(qsizetype(pick(size + 1)), data.mid(qsizetype(at), qsizetype(n)));
            }
            break;
        case 5: {
            const char* token = tokens[pick(std::size(tokens))];
            const qsizetype n = token[0] ? qsizetype(std::strlen(token)) : 1;
            data.insert(qsizetype(pick(size + 1)), QByteArray(token, n));
            break;
        }
        default:
            if (!corpus.empty()) {
                const QByteArray& other = corpus[pick(corpus.size())];
                data = data.left(qsizetype(pick(size + 1))) +
                       other.mid(qsizetype(pick(size_t(other.size()) + 1)));
            }
        }
    }
    if (data.size() > 16384)
        data.truncate(16384);
    return data;
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 0;
    unsigned seed = 1;
    std::vector<QString> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (arg == "--seed" && i + 1 < argc)
            seed = unsigned(std::strtoul(argv[++i], nullptr, 10));
        else
            paths.push_back(QString::fromLocal8Bit(argv[i]));
    }
    const QString target = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    std::snprintf(g_failureFile, sizeof g_failureFile, "fuzz-failure-%s",
                  target.toLocal8Bit().constData());
    for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL})
        std::signal(sig, onFatalSignal);

    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);

    std::vector<QByteArray> corpus;
    for (const QString& path : paths) {
        QStringList files;
        if (QFileInfo(path).isDir()) {
            QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                files << it.next();
            files.sort();
        } else {
            files << path;
        }
        for (const QString& name : files) {
            QFile file(name);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", name.toLocal8Bit().constData());
                return 2;
            }
            corpus.push_back(file.readAll());
        }
    }
    if (corpus.empty() && seconds <= 0) {
        std::fprintf(stderr, "no input: give corpus folders or files\n");
        return 2;
    }
    for (const QByteArray& input : corpus)
        run(input);

    std::mt19937 random(seed);
    long mutated = 0;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < qint64(seconds * 1000)) {
        run(mutate(corpus, random));
        ++mutated;
    }
    std::printf("%s: %zu corpus inputs, %ld changed inputs in %.1f s (seed %u), no failure\n",
                target.toLocal8Bit().constData(), corpus.size(), mutated,
                double(timer.elapsed()) / 1000.0, seed);
    return 0;
}
