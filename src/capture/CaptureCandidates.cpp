#include "CaptureCandidates.h"

#include "capture/CaptureNaming.h"
#include "core/FileError.h"

#include <algorithm>
#include <atomic>
#include <cctype>

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
    std::vector<CaptureCandidate> candidates;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        throw FileError(folder, error);
    }
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::string name = entries->path().filename().string();
        bool recording = false;
        if (name.empty() || name.front() == '.' || !isCaptureName(name, allPNG, &recording)) {
            continue;
        }
        // A link would let a file from anywhere pass as a capture of this folder.
        if (entries->is_symlink(error) || error) {
            error.clear();
            continue;
        }
        candidates.push_back({entries->path(), std::move(name), recording});
    }
    if (error) {
        throw FileError(folder, error);
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
