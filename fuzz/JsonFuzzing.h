// What the JSON file fuzzers share: a scratch folder to put each input in as
// the file the program reads, and the line between a clean rejection and a
// finding.
#pragma once

#include "core/AppError.h"
#include "core/FileError.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <type_traits>
#include <typeinfo>

#include <nlohmann/json.hpp>

namespace cadrelle::fuzz {

// A folder of this process's own, in memory (/dev/shm) when the system has
// one so that atomic writes cost no disk flush; removed when the process ends.
const std::filesystem::path& scratchFolder();

// Replaces `file` with the input bytes, creating its folder when missing.
void writeInput(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size);

// Prints what went wrong and aborts, which libFuzzer reports as a crash and
// keeps the input.
[[noreturn]] void finding(const std::string& what);

// Runs `read` and returns its result, or none when it failed the way a
// damaged file should: with an AppError carrying a sentence, a JSON error or
// a FileError. Any other exception is a finding: it would reach the user as
// text that no reader chose.
template <typename Read>
auto readOrReject(Read&& read) -> std::optional<std::invoke_result_t<Read>> {
    try {
        return read();
    } catch (const AppError& error) {
        if (error.message().empty()) {
            finding("an AppError without a message");
        }
    } catch (const nlohmann::json::exception&) {
    } catch (const FileError&) {
    } catch (const std::exception& error) {
        finding(std::string("unexpected ") + typeid(error).name() + ": " + error.what());
    } catch (...) {
        finding("an exception that is not a std::exception");
    }
    return std::nullopt;
}

// Runs a step that must not fail for a file the program has just read, such
// as writing the same data back into the scratch folder.
template <typename Step> auto mustSucceed(const char* what, Step&& step) {
    try {
        return step();
    } catch (const std::exception& error) {
        finding(std::string(what) + " failed: " + typeid(error).name() + ": " + error.what());
    }
}

} // namespace cadrelle::fuzz
