#include "InstanceForwarder.h"

#include "core/AppError.h"
#include "core/FileDescriptor.h"
#include "core/FileError.h"
#include "core/FileIO.h"
#include "core/RuntimeFolder.h"
#include "core/SerialQueue.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace cadrelle {

namespace {

// A request bigger than this is not one a launch sends.
constexpr qint64 kMaxRequestBytes = 1 << 20;
const QByteArray kAnswer = QByteArrayLiteral("ok\n");
constexpr std::chrono::milliseconds kRetryInterval{50};

QByteArray encode(const LaunchRequest& request) {
    QJsonArray paths;
    for (const auto& file : request.files) {
        paths.append(QString::fromLatin1(QByteArray::fromStdString(file.native()).toBase64()));
    }
    const QJsonObject object{{QStringLiteral("paths"), paths},
                             {QStringLiteral("background"), request.background}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<LaunchRequest> decode(const QByteArray& line) {
    const QJsonDocument document = QJsonDocument::fromJson(line);
    if (!document.isObject()) {
        return std::nullopt;
    }
    LaunchRequest request;
    for (const QJsonValue& path : document.object().value(QStringLiteral("paths")).toArray()) {
        const auto bytes = QByteArray::fromBase64Encoding(path.toString().toLatin1(),
                                                          QByteArray::AbortOnBase64DecodingErrors);
        if (!path.isString() || !bytes || bytes.decoded.isEmpty()) {
            return std::nullopt;
        }
        request.files.emplace_back(bytes.decoded.toStdString());
    }
    request.background = document.object().value(QStringLiteral("background")).toBool();
    return request;
}

// A listening socket at `path`. Whatever a copy that was killed left there is
// replaced; a folder stays and makes the bind fail.
FileDescriptor listeningSocket(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof(address.sun_path)) {
        throw FileError(path, ENAMETOOLONG);
    }
    std::memcpy(address.sun_path, path.c_str(), path.native().size());
    FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.get() < 0) {
        throwFileError(path);
    }
    ::unlink(path.c_str());
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(socket.get(), SOMAXCONN) != 0) {
        throwFileError(path);
    }
    return socket;
}

} // namespace

// Accepts connections and reads requests on the forwarder's own thread.
class InstanceForwarder::Listener final : public QObject {
public:
    Listener(FileDescriptor socket, std::function<void(LaunchRequest)> received)
        : received_(std::move(received)) {
        connect(&server_, &QLocalServer::newConnection, this, &Listener::accept);
        if (!server_.listen(socket.get())) {
            throw AppError(server_.errorString().toStdString());
        }
        socket.release();
    }

private:
    void accept() {
        while (QLocalSocket* connection = server_.nextPendingConnection()) {
            connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
            connect(connection, &QLocalSocket::readyRead, this,
                    [this, connection] { read(*connection); });
        }
    }

    void read(QLocalSocket& connection) {
        if (!connection.canReadLine()) {
            if (connection.bytesAvailable() > kMaxRequestBytes) {
                connection.abort();
            }
            return;
        }
        const auto request = decode(connection.readLine());
        if (!request) {
            connection.abort();
            return;
        }
        // Posted before the answer, so a launch that has its answer knows
        // its request is queued for the main thread.
        received_(*request);
        connection.write(kAnswer);
        connection.disconnectFromServer();
    }

    QLocalServer server_;
    std::function<void(LaunchRequest)> received_;
};

QString InstanceForwarder::socketName(const std::filesystem::path& dataDirectory) {
    // The resolved path, so that every spelling of the folder ("a/../a", a
    // path through a link) reaches the same copy.
    const std::string resolved = resolvedPath(dataDirectory).native();
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(resolved), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    const std::filesystem::path socket =
        privateRuntimeFolder() / ("cadrelle-" + digest.toStdString() + ".socket");
    return QString::fromStdString(socket.native());
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

InstanceForwarder::InstanceForwarder(Handler handler) : handler_(std::move(handler)) {}

InstanceForwarder::~InstanceForwarder() {
    close();
}

void InstanceForwarder::listen(const QString& socket) {
    close();
    const std::filesystem::path path = socket.toStdString();
    FileDescriptor descriptor = listeningSocket(path);
    socket_ = path;
    queue_ = std::make_unique<SerialQueue>("lumivane.handover");
    queue_->sync([this, &descriptor] {
        listener_ = new Listener(std::move(descriptor), [this](LaunchRequest request) {
            mailbox_.post([this, request = std::move(request)] { handler_(request); });
        });
    });
}

void InstanceForwarder::close() {
    if (!queue_) {
        return;
    }
    queue_->sync([this] {
        delete listener_;
        listener_ = nullptr;
    });
    queue_->stop();
    queue_.reset();
    ::unlink(socket_.c_str());
}

} // namespace cadrelle
