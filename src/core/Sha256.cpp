#include "Sha256.h"

#include "CaptureExportControl.h"
#include "FileDescriptor.h"
#include "FileError.h"
#include "FileIO.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace cadrelle {

struct Sha256::Context {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) {
    if (context_->ctx == nullptr || EVP_DigestInit_ex(context_->ctx, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("SHA-256 is not available.");
    }
}

Sha256::~Sha256() = default;

void Sha256::update(std::span<const std::uint8_t> bytes) {
    EVP_DigestUpdate(context_->ctx, bytes.data(), bytes.size());
}

void Sha256::update(const std::string& text) {
    EVP_DigestUpdate(context_->ctx, text.data(), text.size());
}

std::string Sha256::finishHex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_->ctx, digest, &length);
    static const char* hex = "0123456789abcdef";
    std::string text;
    text.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        text.push_back(hex[digest[i] >> 4]);
        text.push_back(hex[digest[i] & 0x0F]);
    }
    return text;
}

std::string sha256(std::span<const std::uint8_t> bytes) {
    Sha256 hash;
    hash.update(bytes);
    return hash.finishHex();
}

void hashFile(Sha256& hash, const std::filesystem::path& path,
              const CaptureExportControl* control) {
    const FileDescriptor file = openRegularFile(path);
    std::vector<std::uint8_t> chunk(1 << 20);
    for (;;) {
        if (control != nullptr) {
            control->checkCancelled();
        }
        const ssize_t count = ::read(file.get(), chunk.data(), chunk.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwFileError(path);
        }
        if (count == 0) {
            return;
        }
        hash.update(std::span(chunk.data(), static_cast<std::size_t>(count)));
    }
}

} // namespace cadrelle
