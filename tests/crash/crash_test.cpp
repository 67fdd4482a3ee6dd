// The crash test: a driver process saves documents (a head and 50 rows through the document
// store), statistics and MRVInv.ini in a loop and is killed with SIGKILL at a random moment;
// after each kill the data directory is checked: integrity_check passes, every head has all of
// its rows, every document whose save had returned (the driver writes its number to a side
// file then) is there, and MRVInv.ini is whole.
//
//     crash_test [--runs N] [--seed S] [--keep]       (make crash: 500 runs; CTest: 20)

#include "workload.h"

#include "db/dberror.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The driver: saves until it is killed.
int runDriver(const QString& dir, const QString& sideFile) {
    for (int number = workload::nextNumber(sideFile);; ++number) {
        try {
            workload::saveRound(dir, sideFile, number);
        } catch (const db::EngineError& e) {
            std::fprintf(stderr, "driver: %s\n", e.message().toUtf8().constData());
            return 3;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--driver"))
        return runDriver(args[2], args[3]);

    int runs = 20;
    unsigned seed = unsigned(std::random_device{}());
    bool keep = false;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = args[++i].toInt();
        else if (args[i] == QLatin1String("--seed") && i + 1 < args.size())
            seed = args[++i].toUInt();
        else if (args[i] == QLatin1String("--keep"))
            keep = true;
    }

    QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/mrvcrash-XXXXXX"));
    temp.setAutoRemove(!keep);
    const QString dir = temp.path() + QStringLiteral("/data");
    const QString sideFile = temp.path() + QStringLiteral("/committed.txt");
    QString error;
    if (!workload::prepare(dir, &error)) {
        std::fprintf(stderr, "cannot prepare %s: %s\n", qPrintable(dir), qPrintable(error));
        return 1;
    }

    std::mt19937 random(seed);
    std::uniform_int_distribution<int> waitMs(5, 400);
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    const std::string dirArg = dir.toStdString(), sideArg = sideFile.toStdString();
    int killed = 0;
    for (int run = 1; run <= runs; ++run) {
        const pid_t pid = fork();
        if (pid < 0) {
            std::perror("fork");
            return 1;
        }
        if (pid == 0) {
            execl(self.c_str(), self.c_str(), "--driver", dirArg.c_str(), sideArg.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs(random)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
            ++killed;
        } else {
            std::fprintf(stderr, "run %d: the driver ended by itself (status %d)\n", run, status);
            return 1;
        }
        const QSet<int> committed = workload::committedNumbers(sideFile);
        const QStringList problems = workload::problems(dir, committed);
        if (!problems.isEmpty()) {
            std::fprintf(stderr, "run %d (seed %u): %s\n", run, seed,
                         qPrintable(problems.join(QStringLiteral("\n  "))));
            temp.setAutoRemove(false);
            std::fprintf(stderr, "data directory kept in %s\n", qPrintable(dir));
            return 1;
        }
    }
    const int documents = int(workload::committedNumbers(sideFile).size());
    std::printf("crash test (seed %u): %d kills, %d documents committed and found whole, "
                "MRVInv.ini whole\n",
                seed, killed, documents);
    if (documents == 0 && runs >= 20) {
        std::fprintf(stderr, "no document was ever committed: the kills came too early\n");
        return 1;
    }
    return 0;
}
