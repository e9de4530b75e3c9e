// Prints the capture fingerprint's throughput on one file, for bench/watch.sh:
//   fingerprint-bench FILE [RUNS]
// Each run hashes the whole file as the watcher does; the median run counts.
#include "capture/CaptureNaming.h"
#include "core/CaptureExportControl.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fingerprint-bench FILE [RUNS]\n");
        return 2;
    }
    const std::filesystem::path file = argv[1];
    const int runs = argc > 2 ? std::max(1, std::stoi(argv[2])) : 3;
    const double megabytes = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    std::vector<double> seconds;
    std::string digest;
    for (int run = 0; run < runs; ++run) {
        const cadrelle::CaptureExportControl control;
        const auto start = std::chrono::steady_clock::now();
        digest = cadrelle::captureFingerprint(file, "frame", control);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    std::printf("%.1f\n", megabytes / median);
    return digest.size() == 64 ? 0 : 1;
}
