#include "UpdateTestServer.h"

#include <QFile>
#include <QProcess>
#include <QSslKey>
#include <QSslSocket>

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdio>

namespace cadrelle::test {

TestSigningKey::TestSigningKey() {
    EVP_PKEY* key = nullptr;
    const std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> context(
        EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr), EVP_PKEY_CTX_free);
    EVP_PKEY_keygen_init(context.get());
    EVP_PKEY_keygen(context.get(), &key);
    key_.reset(key, EVP_PKEY_free);
}

TestSigningKey::TestSigningKey(const std::filesystem::path& pem) {
    const std::unique_ptr<FILE, decltype(&std::fclose)> file(std::fopen(pem.c_str(), "r"),
                                                             std::fclose);
    EXPECT_TRUE(file) << pem;
    if (file) {
        key_.reset(PEM_read_PrivateKey(file.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
    }
    EXPECT_TRUE(key_) << "no key in " << pem;
}

QByteArray TestSigningKey::publicKey() const {
    QByteArray bytes(32, '\0');
    std::size_t size = 32;
    EVP_PKEY_get_raw_public_key(key_.get(), reinterpret_cast<unsigned char*>(bytes.data()), &size);
    return bytes;
}

QByteArray TestSigningKey::sign(const QByteArray& message) const {
    QByteArray signature(64, '\0');
    std::size_t size = 64;
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          EVP_MD_CTX_free);
    EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key_.get());
    EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &size,
                   reinterpret_cast<const unsigned char*>(message.constData()),
                   static_cast<std::size_t>(message.size()));
    return signature;
}

UpdateTestServer::UpdateTestServer() {
    // A throwaway authority and a server certificate for 127.0.0.1.
    const QString script = QStringLiteral(
        "set -e; cd \"$1\"; curve='-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes';"
        "openssl req -x509 $curve -keyout ca.key -out ca.pem -days 1 -subj /CN=TestCA;"
        "openssl req -new $curve -keyout server.key -out server.csr -subj /CN=127.0.0.1;"
        "printf 'subjectAltName=IP:127.0.0.1\\n' > san.ext;"
        "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial"
        " -out server.pem -days 1 -extfile san.ext");
    QProcess openssl;
    openssl.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, QStringLiteral("sh"),
                                              QString::fromStdString(folder_.path().string())});
    EXPECT_TRUE(openssl.waitForFinished(30000) && openssl.exitCode() == 0)
        << openssl.readAllStandardError().toStdString();
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(
        QSslCertificate::fromPath(QString::fromStdString((folder_ / "server.pem").string()))
            .value(0));
    QFile key(QString::fromStdString((folder_ / "server.key").string()));
    EXPECT_TRUE(key.open(QIODevice::ReadOnly));
    tls.setPrivateKey(QSslKey(&key, QSsl::Ec));
    server_.setSslConfiguration(tls);
    EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
    QObject::connect(&server_, &QTcpServer::pendingConnectionAvailable, &server_, [this] {
        while (server_.hasPendingConnections()) {
            serve(static_cast<QSslSocket*>(server_.nextPendingConnection()));
        }
    });
    QObject::connect(&server_, &QSslServer::errorOccurred, &server_,
                     [](QSslSocket*, QAbstractSocket::SocketError error) {
                         ADD_FAILURE() << "TLS error " << error;
                     });
}

void UpdateTestServer::serve(QSslSocket* socket) {
    auto request = std::make_shared<QByteArray>();
    QObject::connect(socket, &QSslSocket::readyRead, socket, [this, socket, request] {
        request->append(socket->readAll());
        if (!request->contains("\r\n\r\n")) {
            return;
        }
        const QString path = QString::fromLatin1(request->split(' ').value(1));
        const auto found = routes.find(path);
        const Answer answer = found == routes.end() ? Answer{"missing", 404, {}} : found->second;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + " X\r\n" +
                          "Content-Length: " + QByteArray::number(answer.body.size()) +
                          "\r\nConnection: close\r\n";
        if (!answer.location.isEmpty()) {
            head += "Location: " + answer.location + "\r\n";
        }
        socket->write(head + "\r\n" + answer.body);
        socket->disconnectFromHost();
    });
    QObject::connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
}

std::string UpdateTestServer::url(const QString& path) const {
    return "https://127.0.0.1:" + std::to_string(server_.serverPort()) + path.toStdString();
}

QByteArray UpdateTestServer::feed(const std::vector<AppcastItem>& items) {
    QByteArray document = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
                          "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
                          "<channel><title>Cadrelle</title>";
    for (const AppcastItem& item : items) {
        document += itemXml(item);
    }
    return document + "</channel></rss>";
}

QByteArray UpdateTestServer::itemXml(const AppcastItem& item) {
    return "<item><sparkle:version>" + QByteArray::fromStdString(item.version) +
           "</sparkle:version><sparkle:shortVersionString>" +
           QByteArray::fromStdString(item.shortVersion) +
           "</sparkle:shortVersionString><description><![CDATA[" +
           QByteArray::fromStdString(item.notes) + "]]></description><link>" +
           QByteArray::fromStdString(item.link) + "</link><enclosure url=\"" +
           QByteArray::fromStdString(item.url) + "\" length=\"" + QByteArray::number(item.length) +
           "\" type=\"application/gzip\" sparkle:edSignature=\"" + item.signature.toBase64() +
           "\"/></item>";
}

} // namespace cadrelle::test
