#include "CaptureCandidates.h"

#include "capture/CaptureNaming.h"
#include "core/FileError.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <memory>
#include <string_view>

namespace cadrelle {

namespace {

std::atomic<std::uint64_t> listings{0};

std::string lowerCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// Whether a visible name ends in ".png" or ".mp4" in any letter case: what
// every capture name has, checked without building anything.
bool hasCaptureExtension(std::string_view name) {
    if (name.size() < 5 || name.front() == '.' || name[name.size() - 4] != '.') {
        return false;
    }
    const auto lower = [&](std::size_t at) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(name[at])));
    };
    const std::size_t at = name.size() - 3;
    const std::string extension{lower(at), lower(at + 1), lower(at + 2)};
    return extension == "png" || extension == "mp4";
}

// Whether a folder entry is a symbolic link (or cannot be looked at).
bool isLink(DIR* folder, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) {
        return entry.d_type == DT_LNK;
    }
    struct stat info {};
    return ::fstatat(::dirfd(folder), entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
           S_ISLNK(info.st_mode);
}

} // namespace

bool isFramedOutputName(const std::string& name) {
    return lowerCased(name).find("-framed-") != std::string::npos;
}

bool isCaptureName(const std::string& name, bool allPNG, bool* isRecording) {
    const std::filesystem::path path(name);
    const bool recording = cadrelle::isRecording(path);
    if (!recording && !isScreenshot(path)) {
        return false;
    }
    if (isFramedOutputName(name)) {
        return false;
    }
    if (isRecording != nullptr) {
        *isRecording = recording;
    }
    if (allPNG) {
        return true;
    }
    return recording ? startsWith(name, "Screen Recording ") ||
                           startsWith(name, "Simulator Screen Recording")
                     : startsWith(name, "Screenshot ") || startsWith(name, "Simulator Screenshot");
}

std::vector<CaptureCandidate> listCaptureCandidates(const std::filesystem::path& folder,
                                                    bool allPNG) {
    listings.fetch_add(1, std::memory_order_relaxed);
    // Listed with readdir rather than directory_iterator: the watcher lists
    // its folder every second, and a folder of thousands of other files must
    // cost a name comparison each, not a path object each.
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(folder.c_str()), &::closedir);
    if (!entries) {
        throwFileError(folder);
    }
    std::vector<CaptureCandidate> candidates;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(entries.get());
        if (entry == nullptr) {
            if (errno != 0) {
                throwFileError(folder);
            }
            break;
        }
        const std::string_view name(entry->d_name);
        bool recording = false;
        if (!hasCaptureExtension(name) || !isCaptureName(std::string(name), allPNG, &recording)) {
            continue;
        }
        // A link would let a file from anywhere pass as a capture of this folder.
        if (isLink(entries.get(), *entry)) {
            continue;
        }
        candidates.push_back({folder / name, std::string(name), recording});
    }
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const CaptureCandidate& a, const CaptureCandidate& b) { return a.name < b.name; });
    return candidates;
}

std::uint64_t captureFolderListings() {
    return listings.load(std::memory_order_relaxed);
}

} // namespace cadrelle
