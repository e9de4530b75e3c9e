#pragma once

#include "FileIO.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace cadrelle {

// Persisted dates are seconds since 2001-01-01 00:00:00 UTC.
inline constexpr double kReferenceDateUnixSeconds = 978307200.0;

using Clock = std::chrono::system_clock;

double secondsSinceReferenceDate(Clock::time_point time);
Clock::time_point timeFromReferenceSeconds(double seconds);

std::string base64Encode(const std::vector<std::uint8_t>& bytes);
// Throws AppError-free std::invalid_argument on malformed input.
std::vector<std::uint8_t> base64Decode(const std::string& text);

// The sentence for a file whose bytes are not the JSON its reader expects.
inline constexpr const char* kJsonFormatError =
    "The data couldn't be read because it isn't in the correct format.";

// Called in a catch block: turns the failure being handled while decoding
// `path` into the sentence the user sees, naming the file: "<path>: " + the
// decoder's own AppError message, or kJsonFormatError for a JSON parse or
// type error. Anything else is rethrown as it is.
[[noreturn]] void throwJsonFileError(const std::filesystem::path& path);

// Reads a JSON file of at most `limit` bytes (see ReadLimits.h) and hands
// the parsed value to `decode`. Reading fails as readFile does; parsing and
// decoding fail as throwJsonFileError describes.
template <typename Decode>
auto decodeJsonFile(const std::filesystem::path& path, std::uint64_t limit, Decode&& decode)
    -> decltype(decode(std::declval<const nlohmann::json&>())) {
    const auto bytes = readFile(path, limit);
    try {
        return decode(nlohmann::json::parse(bytes.begin(), bytes.end()));
    } catch (...) {
        throwJsonFileError(path);
    }
}

// Reads a JSON file and decodes it as a T with nlohmann's from_json.
template <typename T> T readJsonFile(const std::filesystem::path& path, std::uint64_t limit) {
    return decodeJsonFile(path, limit, [](const nlohmann::json& json) { return json.get<T>(); });
}

// The text of a JSON value: compact, or pretty-printed with a final line feed
// (keys are always sorted by nlohmann::json's object order). Text that is not
// valid UTF-8 throws nlohmann's type error.
std::string jsonText(const nlohmann::json& value, bool pretty = false);

// Writes jsonText(value, pretty) atomically.
void writeJsonFile(const nlohmann::json& value, const std::filesystem::path& path,
                   bool pretty = false);

} // namespace cadrelle
