#include "StagedFile.h"

#include "FileError.h"
#include "FileIO.h"

#include <unistd.h>

namespace cadrelle {

StagedFile::StagedFile(std::span<const std::uint8_t> data,
                       const std::filesystem::path& destination) {
    const auto folder =
        destination.parent_path().empty() ? std::filesystem::path(".") : destination.parent_path();
    const auto hidden = folder / temporaryItemName();
    try {
        // An exclusive write under the hidden name: complete, never replacing.
        writeExclusive(data, hidden);
    } catch (const FileError& error) {
        throw FileError(destination, error.code());
    }
    path_ = hidden;
}

StagedFile::~StagedFile() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
    }
}

StagedFile::StagedFile(StagedFile&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

void StagedFile::publish(const std::filesystem::path& destination) const {
    if (::link(path_.c_str(), destination.c_str()) != 0) {
        throwFileError(destination);
    }
}

} // namespace cadrelle
