#include "JsonFuzzing.h"

#include "core/FileIO.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace cadrelle::fuzz {

namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code error;
        const std::filesystem::path memory = "/dev/shm";
        const auto parent =
            std::filesystem::is_directory(memory, error) && ::access("/dev/shm", W_OK) == 0
                ? memory
                : std::filesystem::temp_directory_path();
        path_ = parent / ("cadrelle-fuzz-" + newUuidString());
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() { removeQuietly(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace

const std::filesystem::path& scratchFolder() {
    static const ScratchFolder folder;
    return folder.path();
}

void writeInput(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!stream.flush()) {
        finding("could not write the input to " + file.string());
    }
}

void finding(const std::string& what) {
    std::fprintf(stderr, "==FINDING== %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace cadrelle::fuzz
