// The application model on temporary folders, for bench/model.sh:
//   latency  from a screenshot's last write (its rename into the capture
//            folder) until its framed item is published in Quick Access
//   idle     the model's CPU use while nothing arrives, with 1,000 handled
//            captures in the capture folder
// model-bench FRAMES_FOLDER SCREENSHOTS_FOLDER WORK_FOLDER MODEL_NAME
// SCREENSHOTS_FOLDER holds 1.png, 2.png, … at the opening size of a frame of
// MODEL_NAME in FRAMES_FOLDER.
#include "core/AppError.h"
#include "model/AppModel.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;
using namespace cadrelle;

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop until the model publishes a change of its pending
// screenshots for which `done` holds; false after 30 s. The loop sleeps
// between events, so the framing threads have the cores to themselves.
template <typename Done> bool runUntil(AppModel& model, Done done) {
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&model.quickAccess(), &QuickAccessItems::itemAdded, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    if (done()) {
        return true;
    }
    limit.start(30'000);
    loop.exec();
    return done();
}

void runFor(int milliseconds) {
    QTimer::singleShot(milliseconds, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: model-bench FRAMES SCREENSHOTS WORK MODEL\n");
        return 2;
    }
    QCoreApplication application(argc, argv);
    const fs::path frames = argv[1];
    const fs::path shots = argv[2];
    const fs::path work = argv[3];
    const std::string model = argv[4];
    const fs::path input = work / "in";
    const fs::path output = work / "out";
    fs::create_directories(input);
    fs::create_directories(output);
    for (int n = 0; n < 1000; ++n) {
        std::ofstream(input / ("Simulator Screenshot - handled " + std::to_string(n) + ".png"))
            << "handled before the first start";
    }

    AppModelSetup setup;
    setup.dataDirectory = work / "data";
    setup.shippedFrames = frames;
    setup.simulatorRun = [](const std::vector<std::string>&) -> Bytes {
        throw AppError("No simulators here.");
    };
    AppModel app(std::move(setup));
    app.folderSetup().selectFolder(input, true);
    app.folderSetup().selectFolder(output, false);
    app.folderSetup().completeSetup();
    if (!app.isWatching()) {
        std::fprintf(stderr, "not watching: %s\n", app.errorMessage().value_or("").c_str());
        return 1;
    }
    runFor(1500);

    std::vector<double> latencies;
    for (int n = 1; fs::exists(shots / (std::to_string(n) + ".png")); ++n) {
        const std::size_t before = app.quickAccess().pendingScreenshots().size();
        const fs::path staged = input / (".staged-" + std::to_string(n));
        fs::copy_file(shots / (std::to_string(n) + ".png"), staged);
        const auto written = std::chrono::steady_clock::now();
        fs::rename(staged, input / ("Simulator Screenshot - " + model + " - " + std::to_string(n) +
                                    ".png"));
        if (!runUntil(app,
                      [&] { return app.quickAccess().pendingScreenshots().size() > before; })) {
            std::fprintf(stderr, "screenshot %d was not framed: %s\n", n,
                         app.errorMessage().value_or("").c_str());
            return 1;
        }
        latencies.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - written).count());
    }
    std::sort(latencies.begin(), latencies.end());

    runFor(2000);
    const double cpuBefore = cpuSeconds();
    constexpr int kIdleSeconds = 30;
    runFor(kIdleSeconds * 1000);
    const double idle = (cpuSeconds() - cpuBefore) / kIdleSeconds * 100.0;
    app.shutdown();

    std::printf("latency median %.3f s (min %.3f, max %.3f) over %zu screenshots\n",
                latencies[latencies.size() / 2], latencies.front(), latencies.back(),
                latencies.size());
    std::printf("idle CPU %.2f %% of one core over %d s with 1000 handled captures\n", idle,
                kIdleSeconds);
    return 0;
}
