#pragma once

#include "support/TempDir.h"
#include "updates/Appcast.h"

#include <QByteArray>
#include <QSslServer>
#include <QString>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

struct evp_pkey_st;

namespace cadrelle::test {

// An Ed25519 key pair made for one test.
class TestSigningKey {
public:
    TestSigningKey();
    // The private key in the PEM file `pem` (the build's throwaway key).
    explicit TestSigningKey(const std::filesystem::path& pem);
    QByteArray publicKey() const;
    std::string publicKeyBase64() const { return publicKey().toBase64().toStdString(); }
    QByteArray sign(const QByteArray& message) const;

private:
    std::shared_ptr<evp_pkey_st> key_;
};

// An HTTPS server on 127.0.0.1 whose certificate is signed by a certificate
// authority made at test time (caFile()). Answers GET requests from `routes`.
class UpdateTestServer {
public:
    struct Answer {
        QByteArray body;
        int status = 200;
        QByteArray location; // for redirects
    };

    UpdateTestServer();
    std::string url(const QString& path) const;
    std::string caFile() const { return (folder_ / "ca.pem").string(); }

    // An RSS feed document offering `items`, written out field by field.
    static QByteArray feed(const std::vector<AppcastItem>& items);
    static QByteArray itemXml(const AppcastItem& item);

    std::map<QString, Answer> routes;

private:
    void serve(QSslSocket* socket);

    TempDir folder_;
    QSslServer server_;
};

} // namespace cadrelle::test
