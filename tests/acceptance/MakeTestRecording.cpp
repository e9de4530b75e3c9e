// Writes a simulator-like screen recording for the scenarios: 750 × 1334
// H.264 at 30 pictures per second, each picture a lighter grey than the one
// before, with a stereo AAC track.
//   make-test-recording SECONDS MP4_PATH
#include "support/Mp4Maker.h"

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make-test-recording SECONDS MP4_PATH\n";
        return 2;
    }
    try {
        const int seconds = std::stoi(argv[1]);
        cadrelle::test::makeMp4(argv[2], {.width = 750,
                                          .height = 1334,
                                          .frames = seconds * 30,
                                          .fps = 30,
                                          .audioChannels = 2,
                                          .counting = true});
    } catch (const std::exception& error) {
        std::cerr << "make-test-recording: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
