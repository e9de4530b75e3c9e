#pragma once

#include <QByteArray>

#include <filesystem>
#include <memory>

struct evp_pkey_st;

namespace cadrelle {

// Checks Ed25519 signatures against one public key with OpenSSL.
class Ed25519Verifier {
public:
    // `publicKey` is the raw 32-byte key; throws AppError when OpenSSL
    // refuses it.
    explicit Ed25519Verifier(const QByteArray& publicKey);

    // Whether `signature` (64 bytes) signs exactly `message`.
    bool verify(const QByteArray& message, const QByteArray& signature) const;
    // Whether `signature` signs the bytes of `file`; false when the file
    // can't be read.
    bool verifyFile(const std::filesystem::path& file, const QByteArray& signature) const;

private:
    bool verify(const unsigned char* message, std::size_t size, const QByteArray& signature) const;

    std::shared_ptr<evp_pkey_st> key_;
};

} // namespace cadrelle
