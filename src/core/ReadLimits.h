#pragma once

#include <cstdint>

namespace cadrelle {

// The largest files the system reads whole, in bytes. A file that is larger
// is refused before it is read, and no read takes more than its limit plus
// one byte, so a file that grows meanwhile cannot exhaust memory either.

// Screenshots and frames: "This image is too large. Choose a PNG smaller
// than 100 MB."
inline constexpr std::uint64_t kMaxPngFileBytes = 100'000'000;

// settings.json: a dozen values and two folder paths.
inline constexpr std::uint64_t kMaxSettingsFileBytes = 1'000'000;
// One screenshot inbox item file: one capture record and its paths.
inline constexpr std::uint64_t kMaxInboxItemFileBytes = 1'000'000;
// history.json: at most 100 capture records of four paths each.
inline constexpr std::uint64_t kMaxHistoryFileBytes = 10'000'000;
// A frame library's catalog.json and the shipped retired.json.
inline constexpr std::uint64_t kMaxCatalogFileBytes = 10'000'000;
// A watcher's journal: one path and stamp per capture in the folder.
inline constexpr std::uint64_t kMaxJournalFileBytes = 50'000'000;
// The simulator time override's list of devices it changed.
inline constexpr std::uint64_t kMaxSimulatorStateFileBytes = 1'000'000;
// What one simulator tool run wrote to its standard output or error.
inline constexpr std::uint64_t kMaxCommandOutputBytes = 10'000'000;

} // namespace cadrelle
