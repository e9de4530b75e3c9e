#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace cadrelle {

// Bytes written now under a hidden temporary name (".lumivane-<UUID>")
// beside the file they are meant for, and put in place later by publish(),
// so that a result can wait on disk instead of in memory. The hidden file is
// removed when this goes, published or not.
class StagedFile {
public:
    // Writes `data` into a new hidden file in `destination`'s folder (made
    // when missing). Errors name `destination`, never the hidden file.
    StagedFile(std::span<const std::uint8_t> data, const std::filesystem::path& destination);
    ~StagedFile();
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Links the staged bytes to `destination`, which must be in the same
    // folder; never replaces anything there: a taken name fails with
    // FileError "File exists" naming `destination`.
    void publish(const std::filesystem::path& destination) const;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace cadrelle
