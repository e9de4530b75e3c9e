#include "InstanceForwarder.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <optional>

namespace cadrelle {

namespace {

// A request bigger than this is not one a launch sends.
constexpr qint64 kMaxRequestBytes = 1 << 20;
const QByteArray kAnswer = QByteArrayLiteral("ok\n");
constexpr std::chrono::milliseconds kRetryInterval{50};

QByteArray encode(const LaunchRequest& request) {
    QJsonArray files;
    for (const auto& file : request.files) {
        files.append(QString::fromStdString(file.string()));
    }
    const QJsonObject object{{QStringLiteral("files"), files},
                             {QStringLiteral("background"), request.background}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<LaunchRequest> decode(const QByteArray& line) {
    const QJsonDocument document = QJsonDocument::fromJson(line);
    if (!document.isObject()) {
        return std::nullopt;
    }
    LaunchRequest request;
    for (const QJsonValue& file : document.object().value(QStringLiteral("files")).toArray()) {
        if (file.isString()) {
            request.files.emplace_back(file.toString().toStdString());
        }
    }
    request.background = document.object().value(QStringLiteral("background")).toBool();
    return request;
}

} // namespace

QString InstanceForwarder::socketName(const std::filesystem::path& dataDirectory) {
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(dataDirectory.string()),
                                 QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/cadrelle-") + QString::fromLatin1(digest) + QStringLiteral(".socket");
}

bool InstanceForwarder::forward(const QString& socket, const LaunchRequest& request,
                                std::chrono::milliseconds limit) {
    QLocalSocket client;
    QEventLoop waiting;
    bool answered = false;
    bool finished = false;
    const auto finish = [&](bool success) {
        if (finished) {
            return;
        }
        answered = success;
        finished = true;
        waiting.quit();
    };
    QObject::connect(&client, &QLocalSocket::connected, &waiting,
                     [&] { client.write(encode(request)); });
    QObject::connect(&client, &QLocalSocket::readyRead, &waiting, [&] {
        if (client.canReadLine()) {
            finish(client.readLine() == kAnswer);
        }
    });
    // A running instance that is still starting holds the lock before it
    // listens: while nobody listens yet, try again until the limit.
    QObject::connect(&client, &QLocalSocket::errorOccurred, &waiting,
                     [&](QLocalSocket::LocalSocketError error) {
                         const bool notListening = error == QLocalSocket::ServerNotFoundError ||
                                                   error == QLocalSocket::ConnectionRefusedError;
                         if (notListening) {
                             QTimer::singleShot(kRetryInterval, &waiting,
                                                [&] { client.connectToServer(socket); });
                         } else {
                             // Gone, or closed without an answer.
                             finish(false);
                         }
                     });
    QTimer::singleShot(limit, &waiting, [&] { finish(false); });
    client.connectToServer(socket);
    if (!finished) {
        waiting.exec();
    }
    return answered;
}

InstanceForwarder::InstanceForwarder(Handler handler) : handler_(std::move(handler)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceForwarder::accept);
}

bool InstanceForwarder::listen(const QString& socket) {
    QLocalServer::removeServer(socket);
    return server_.listen(socket);
}

void InstanceForwarder::accept() {
    while (QLocalSocket* connection = server_.nextPendingConnection()) {
        connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        connect(connection, &QLocalSocket::readyRead, this, [this, connection] {
            if (!connection->canReadLine()) {
                if (connection->bytesAvailable() > kMaxRequestBytes) {
                    connection->abort();
                }
                return;
            }
            const auto request = decode(connection->readLine());
            if (!request) {
                connection->abort();
                return;
            }
            connection->write(kAnswer);
            connection->disconnectFromServer();
            // The handler may show windows; the sender is already answered.
            handler_(*request);
        });
    }
}

} // namespace cadrelle
