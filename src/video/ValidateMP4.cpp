#include "ValidateMP4.h"

#include "core/AppError.h"
#include "core/FileDescriptor.h"
#include "core/FileError.h"
#include "core/FileIO.h"

#include <cerrno>
#include <cstdint>
#include <string>
#include <unistd.h>

namespace cadrelle {

namespace {

const char* const kIncomplete = "The MP4 is incomplete. Wait until Glimmerbox finishes saving it.";

// Reads parts of a file, reporting failures with its path.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::filesystem::path& path)
        : path_(path), fd_(openRegularFile(path)) {}

    std::uint64_t size() const {
        const off_t end = ::lseek(fd_.get(), 0, SEEK_END);
        if (end < 0) {
            throwFileError(path_);
        }
        return static_cast<std::uint64_t>(end);
    }

    // Reads up to `count` bytes at `offset`; returns how many came back.
    std::size_t readAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) const {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t got =
                ::pread(fd_.get(), buffer + done, count - done, static_cast<off_t>(offset + done));
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throwFileError(path_);
            }
            if (got == 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

private:
    std::filesystem::path path_;
    FileDescriptor fd_;
};

std::uint64_t bigEndian(const std::uint8_t* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

} // namespace

void validateMP4(const std::filesystem::path& path) {
    const ReadOnlyFile file(path);
    const std::uint64_t fileSize = file.size();
    std::uint64_t offset = 0;
    bool movieSeen = false;
    bool mediaDataSeen = false;

    while (offset < fileSize) {
        const std::uint64_t remaining = fileSize - offset;
        std::uint8_t header[8];
        if (file.readAt(offset, header, sizeof header) < sizeof header) {
            throw AppError(kIncomplete);
        }
        std::uint64_t size = bigEndian(header, 4);
        // Box types are compared byte for byte, which equals comparing the
        // UTF-8 text of four ASCII letters.
        const std::string type(reinterpret_cast<const char*>(header + 4), 4);
        std::uint64_t minimum = 8;
        if (size == 0) {
            size = remaining;
        } else if (size == 1) {
            std::uint8_t wide[8];
            if (file.readAt(offset + 8, wide, sizeof wide) < sizeof wide) {
                throw AppError("Incomplete MP4 atom.");
            }
            size = bigEndian(wide, 8);
            if (size == 0) {
                size = remaining;
            }
            minimum = 16;
        }
        if (size < minimum || size > remaining) {
            throw AppError(kIncomplete);
        }
        if (type == "moov") {
            movieSeen = true;
        } else if (type == "mdat") {
            mediaDataSeen = true;
        }
        offset += size;
    }
    if (!movieSeen || !mediaDataSeen) {
        throw AppError("The recording has no finished movie data. Stop recording in Glimmerbox "
                       "and try again.");
    }
}

} // namespace cadrelle
