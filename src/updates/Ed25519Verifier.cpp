#include "Ed25519Verifier.h"

#include "core/AppError.h"

#include <QFile>

#include <openssl/evp.h>

namespace cadrelle {

Ed25519Verifier::Ed25519Verifier(const QByteArray& publicKey)
    : key_(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                       reinterpret_cast<const unsigned char*>(publicKey.data()),
                                       static_cast<std::size_t>(publicKey.size())),
           EVP_PKEY_free) {
    if (!key_) {
        throw AppError("The update signing key isn't a valid Ed25519 key.");
    }
}

bool Ed25519Verifier::verify(const QByteArray& message, const QByteArray& signature) const {
    return verify(reinterpret_cast<const unsigned char*>(message.constData()),
                  static_cast<std::size_t>(message.size()), signature);
}

bool Ed25519Verifier::verifyFile(const std::filesystem::path& file,
                                 const QByteArray& signature) const {
    // Ed25519 signs the whole message at once, so the file is mapped rather
    // than read in pieces.
    QFile input(QString::fromStdString(file.string()));
    if (!input.open(QIODevice::ReadOnly)) {
        return false;
    }
    if (input.size() == 0) {
        return verify(QByteArray(), signature);
    }
    const uchar* bytes = input.map(0, input.size());
    return bytes != nullptr && verify(bytes, static_cast<std::size_t>(input.size()), signature);
}

bool Ed25519Verifier::verify(const unsigned char* message, std::size_t size,
                             const QByteArray& signature) const {
    if (signature.size() != 64) {
        return false;
    }
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          EVP_MD_CTX_free);
    return context &&
           EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key_.get()) == 1 &&
           EVP_DigestVerify(context.get(),
                            reinterpret_cast<const unsigned char*>(signature.constData()),
                            static_cast<std::size_t>(signature.size()), message, size) == 1;
}

} // namespace cadrelle
