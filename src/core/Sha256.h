#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace cadrelle {

class CaptureExportControl;

// Incremental SHA-256 (OpenSSL EVP). The digest is written as 64 lower-case
// hexadecimal digits.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(std::span<const std::uint8_t> bytes);
    void update(const std::string& text);
    std::string finishHex();

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

std::string sha256(std::span<const std::uint8_t> bytes);

// Streams a file through `hash` in 1 MiB chunks, checking `control` (when
// given) between chunks; throws FileError or Cancelled.
void hashFile(Sha256& hash, const std::filesystem::path& path,
              const CaptureExportControl* control = nullptr);

} // namespace cadrelle
