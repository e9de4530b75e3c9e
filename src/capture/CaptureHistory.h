#pragma once

#include "capture/CaptureRecord.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// The capture history kept in "history.json": newest first, at most 100
// records, no two with the same id. Owned by the application model on the
// main thread.
class CaptureHistory {
public:
    static constexpr std::size_t kLimit = 100;

    explicit CaptureHistory(std::filesystem::path file) : file_(std::move(file)) {}

    // Reads the file; a missing, unreadable or corrupt file gives an empty
    // history and is left as it is until the next remember().
    static CaptureHistory load(const std::filesystem::path& file);

    const std::vector<CaptureRecord>& records() const { return records_; }
    const std::filesystem::path& file() const { return file_; }

    // Puts a new record at the front (a known id leaves the list as it is),
    // keeps the first 100 and rewrites the file. Returns the message for the
    // user when the file could not be written; the record stays in memory.
    std::optional<std::string> remember(const CaptureRecord& record);

private:
    std::filesystem::path file_;
    std::vector<CaptureRecord> records_;
};

} // namespace cadrelle
