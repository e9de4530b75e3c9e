#pragma once

#include <iosfwd>
#include <mutex>

#include <nlohmann/json_fwd.hpp>

namespace cadrelle {

// Writes one JSON object per line to a stream, each line whole and flushed
// at once, so a script reading a pipe sees every result as it happens.
// Several threads may write at once.
class JsonLineWriter {
public:
    explicit JsonLineWriter(std::ostream& out) : out_(out) {}

    // Text that is not UTF-8 (a system message naming an odd file) is
    // written with U+FFFD in place of the bytes that are not.
    void write(const nlohmann::json& object);

private:
    std::ostream& out_;
    std::mutex lock_;
};

} // namespace cadrelle
