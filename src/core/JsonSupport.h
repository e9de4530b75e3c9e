#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
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

// Reads and parses a JSON file; parse errors are thrown as nlohmann reports them.
nlohmann::json readJsonFile(const std::filesystem::path& path);

// Writes JSON atomically: compact, or pretty-printed (keys are always sorted
// by nlohmann::json's object order).
void writeJsonFile(const nlohmann::json& value, const std::filesystem::path& path,
                   bool pretty = false);

} // namespace cadrelle
