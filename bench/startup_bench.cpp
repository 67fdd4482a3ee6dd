// How long the program takes to show its main window with the add-ons that lie beside it
// (normally MRVCust, MRVInv and MRVProd in bin/). Prints the first start of the process, from
// the entry of main to the window shown, and the median, best and worst of repeated starts.
// Settings and data go to a temporary home, so the user's files are never touched.
#include "app/application.h"
#include "app/fmstart.h"
#include "service/service.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

double showMainWindow(std::unique_ptr<TfmStart>& window) {
    QElapsedTimer timer;
    timer.start();
    window = std::make_unique<TfmStart>();
    window->show();
    QCoreApplication::processEvents();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());

    QApplication application(argc, argv);
    Application::SetTitle(QStringLiteral("Merovia"));

    std::unique_ptr<TfmStart> window;
    const double first = showMainWindow(window);
    const double firstSinceMain = sinceMain.nsecsElapsed() / 1e6;
    const int modules = static_cast<int>(Service::Modules.size());
    window->close();
    window.reset();

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        times.push_back(showMainWindow(window));
        window->close();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::sort(times.begin(), times.end());

    std::printf("add-on modules loaded:                  %d (%s)\n", modules,
                qPrintable(Service::Modules.join(QStringLiteral(", "))));
    std::printf("first start, main() to window shown:    %.1f ms\n", firstSinceMain);
    std::printf("first start, window creation to shown:  %.1f ms\n", first);
    std::printf("repeated starts (%d): median %.1f ms, best %.1f ms, worst %.1f ms\n", runs,
                times[times.size() / 2], times.front(), times.back());
    return 0;
}
