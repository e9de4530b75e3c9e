#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cadrelle {

// One file in the capture folder that may be a capture.
struct CaptureCandidate {
    std::filesystem::path path;
    std::string name;
    bool isRecording = false; // extension "mp4" in any letter case
};

// Whether a file name is one the program gives its framed outputs (Quick
// Access items included): it holds "-framed-" in any letter case.
bool isFramedOutputName(const std::string& name);

// Whether a file name names a capture: a "png" or "mp4" extension in any
// letter case, no "-framed-" in any letter case, and (unless `allPNG`) a name
// starting with "Screenshot " or "Simulator Screenshot" (PNG) or "Screen
// Recording " or "Simulator Screen Recording" (MP4).
bool isCaptureName(const std::string& name, bool allPNG, bool* isRecording = nullptr);

// The capture folder's direct, non-hidden entries that are captures, sorted by
// file name (plain character order: oldest first for the recognised names).
// Symbolic links are never captures, whatever they point to. Throws FileError
// when the folder cannot be listed.
std::vector<CaptureCandidate> listCaptureCandidates(const std::filesystem::path& folder,
                                                    bool allPNG);

// How many folder listings listCaptureCandidates has made in this process, so
// that tests can see how often a watcher lists its folder.
std::uint64_t captureFolderListings();

} // namespace cadrelle
