#include "HevcTestMedia.h"

#include "video/hevc/HevcAlphaEncoder.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cadrelle {
namespace {

constexpr int width = 1280;
constexpr int height = 1280;
constexpr int frameCount = 16;

// The peak resident memory, in KiB, of a child process that runs `work`:
// each measurement starts from the same memory, and ends with its process.
long childPeakKiB(const std::function<void()>& work) {
    const pid_t child = fork();
    if (child == 0) {
        try {
            work();
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        ADD_FAILURE() << "the measured child failed";
        return 0;
    }
    return usage.ru_maxrss;
}

TEST(HevcAlphaMemory, TheAlphaLayerAddsLittleToTheColourEncodersMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator holds freed memory back";
#endif
    const X265Settings settings{.width = width, .height = height};
    const test::FramedPicture pictures[2] = {test::framedPicture(width, height, 0, 1),
                                             test::framedPicture(width, height, 1, 1)};
    const long idle = childPeakKiB([] {});
    const long colourOnly = childPeakKiB([&] {
        X265Encoder encoder(settings);
        std::deque<EncodedPicture> out;
        for (int i = 0; i < frameCount; ++i) {
            encoder.encode(test::colourPlanes(pictures[i % 2], width), i, out);
            out.clear();
        }
        while (encoder.flush(out)) {
            out.clear();
        }
    });
    const long twoLayers = childPeakKiB([&] {
        HevcAlphaEncoder encoder(settings, [](EncodedAccessUnit&&) {});
        for (int i = 0; i < frameCount; ++i) {
            encoder.encode(test::colourPlanes(pictures[i % 2], width), pictures[i % 2].a.data(),
                           width, i);
        }
        encoder.finish();
    });

    // An encoder holds tens of pictures' worth of memory; the transparent
    // stream holds little more than its colour encoder's.
    ASSERT_GT(colourOnly - idle, 50'000);
    EXPECT_LE(twoLayers - idle, (colourOnly - idle) * 13 / 10)
        << "idle " << idle << " KiB, colour only " << colourOnly << " KiB, two layers " << twoLayers
        << " KiB";
}

} // namespace
} // namespace cadrelle
