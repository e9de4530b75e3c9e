// Feeds arbitrary bytes, as a file, to the MP4 completeness walk. Every
// failure must be an AppError with one of the walk's three sentences;
// anything else (a crash, a hang, a sanitizer report) is a finding.
#include "core/AppError.h"
#include "video/ValidateMP4.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An anonymous in-memory file keeps the fuzzer off the disk.
    static const int fd = memfd_create("mp4-box-fuzz", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0 ||
        pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        std::abort();
    }
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    try {
        cadrelle::validateMP4(path);
    } catch (const cadrelle::AppError& error) {
        const std::string message = error.message();
        if (message != "The MP4 is incomplete. Wait until Glimmerbox finishes saving it." &&
            message != "Incomplete MP4 atom." &&
            message != "The recording has no finished movie data. Stop recording in Glimmerbox "
                       "and try again.") {
            std::abort();
        }
    }
    return 0;
}
