#include "JsonFuzzing.h"

#include "core/FileIO.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <unistd.h>

namespace cadrelle::fuzz {

namespace {

constexpr std::string_view kScratchPrefix = "cadrelle-fuzz-";

// Removes the scratch folders of fuzzers that died on a finding (an abort
// skips the destructor); each is named after its process.
void removeAbandonedFolders(const std::filesystem::path& parent) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kScratchPrefix)) {
            continue;
        }
        const std::string digits = name.substr(kScratchPrefix.size());
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const auto pid = static_cast<pid_t>(std::stol(digits));
        if (::kill(pid, 0) != 0 && errno == ESRCH) {
            removeQuietly(entry.path());
        }
    }
}

class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code error;
        const std::filesystem::path memory = "/dev/shm";
        const auto parent =
            std::filesystem::is_directory(memory, error) && ::access("/dev/shm", W_OK) == 0
                ? memory
                : std::filesystem::temp_directory_path();
        removeAbandonedFolders(parent);
        path_ = parent / (std::string(kScratchPrefix) + std::to_string(::getpid()));
        removeQuietly(path_);
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
