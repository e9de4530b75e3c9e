// Writes the seed corpus of the MP4 box fuzzer: real recordings made with
// the FFmpeg libraries and a few hand-made box layouts.
#include "support/Mp4Maker.h"

#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    cadrelle::test::Mp4Spec spec;
    spec.width = 32;
    spec.height = 48;
    spec.frames = 2;
    cadrelle::test::makeMp4(folder / "plain.mp4", spec);
    spec.audioChannels = 2;
    cadrelle::test::makeMp4(folder / "audio.mp4", spec);

    const auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
    };
    using namespace std::string_literals;
    write("boxes.mp4", "\0\0\0\x08moov\0\0\0\x0cmdat1234"s);
    write("wide.mp4", "\0\0\0\x08moov\0\0\0\x01mdat\0\0\0\0\0\0\0\x14"
                      "abcd"s);
    write("to-end.mp4", "\0\0\0\x08moov\0\0\0\0mdatxyz"s);
    return 0;
}
