#include "UpdateDownloader.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>

#include <system_error>

namespace cadrelle {
namespace {

const std::string kInsecure = "The update server sent Cadrelle to an address that isn't secure.";
const std::string kTimedOut = "The update server stopped answering.";
const std::string kWrongSize = "The downloaded update doesn't have the size the feed gives.";
const std::string kBadSignature = "The downloaded update isn't signed with Cadrelle's key.";

bool isHttps(const QUrl& url) {
    return url.isValid() && url.scheme() == QStringLiteral("https") && !url.host().isEmpty();
}

std::string describe(const QNetworkReply& reply, const std::string& failurePrefix) {
    switch (reply.error()) {
    case QNetworkReply::InsecureRedirectError:
        return kInsecure;
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        // The transfer limit ends a stalled transfer this way; no other
        // cancellation reaches here, as stops carry their own sentence.
        return kTimedOut;
    case QNetworkReply::SslHandshakeFailedError:
        return failurePrefix + "the update server's certificate isn't trusted.";
    default:
        return failurePrefix + reply.errorString().toStdString() + ".";
    }
}

} // namespace

UpdateDownloader::UpdateDownloader(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

UpdateDownloader::~UpdateDownloader() {
    cancel();
}

void UpdateDownloader::cancel() {
    if (reply_) {
        QNetworkReply* reply = reply_;
        reply_ = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void UpdateDownloader::start(const std::string& url, const std::string& failurePrefix,
                             DataHandler onData, std::function<void(const std::string&)> onEnd) {
    cancel();
    stopReason_.clear();
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!isHttps(address)) {
        // Reported from the event loop like every other outcome.
        QTimer::singleShot(0, this, [onEnd] { onEnd(kInsecure); });
        return;
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(static_cast<int>(options_.transferTimeout.count()));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!options_.extraCertificateAuthorities.empty()) {
        tls.addCaCertificates(QString::fromStdString(options_.extraCertificateAuthorities));
    }
    request.setSslConfiguration(tls);
    QNetworkReply* reply = network_.get(request);
    reply_ = reply;
    auto take = std::make_shared<DataHandler>(std::move(onData));
    connect(reply, &QNetworkReply::readyRead, this, [this, reply, take] { read(*reply, *take); });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, take, failurePrefix, onEnd = std::move(onEnd)] {
                // Whatever arrived with the end of the transfer counts too.
                read(*reply, *take);
                finish(reply, failurePrefix, onEnd);
            });
}

void UpdateDownloader::read(QNetworkReply& reply, const DataHandler& take) {
    // The body of an error answer is not the file asked for.
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!stopReason_.empty() || reply.bytesAvailable() <= 0 || status < 200 || status >= 300) {
        return;
    }
    if (auto stop = take(reply.readAll())) {
        stopReason_ = std::move(*stop);
        reply.abort();
    }
}

void UpdateDownloader::finish(QNetworkReply* reply, const std::string& failurePrefix,
                              const std::function<void(const std::string&)>& onEnd) {
    reply_ = nullptr;
    reply->disconnect(this);
    reply->deleteLater();
    std::string error = std::move(stopReason_);
    stopReason_.clear();
    if (error.empty() && reply->error() != QNetworkReply::NoError) {
        error = describe(*reply, failurePrefix);
    }
    // The redirect policy already refuses HTTPS to HTTP; the final address is
    // checked as well so that no other path ends on plain HTTP.
    if (error.empty() && !isHttps(reply->url())) {
        error = kInsecure;
    }
    onEnd(error);
}

void UpdateDownloader::fetchFeed(const std::string& url, FeedDone done) {
    auto body = std::make_shared<QByteArray>();
    start(
        url, "The update feed couldn't be loaded: ",
        [body](const QByteArray& piece) -> std::optional<std::string> {
            body->append(piece);
            if (body->size() > Appcast::maximumSize) {
                return "The update feed is larger than 1 MiB.";
            }
            return std::nullopt;
        },
        [body, done = std::move(done)](const std::string& error) {
            done(error.empty() ? *body : QByteArray(), error);
        });
}

void UpdateDownloader::fetchArchive(const AppcastItem& item, Ed25519Verifier verifier,
                                    const std::filesystem::path& folder, Progress progress,
                                    ArchiveDone done) {
    const std::string prefix = "The update couldn't be downloaded: ";
    std::error_code created;
    std::filesystem::create_directories(folder, created);
    auto file = std::make_shared<std::unique_ptr<QTemporaryFile>>(std::make_unique<QTemporaryFile>(
        QString::fromStdString((folder / "Cadrelle-XXXXXX.tar.gz").string())));
    if (created || !(*file)->open()) {
        const std::string reason =
            created ? created.message() : (*file)->errorString().toStdString();
        QTimer::singleShot(0, this, [done, prefix, folder, reason] {
            done(nullptr, prefix + folder.string() + ": " + reason + ".");
        });
        return;
    }
    const qint64 expected = item.length;
    start(
        item.url, prefix,
        [file, expected, progress, prefix](const QByteArray& piece) -> std::optional<std::string> {
            QTemporaryFile& archive = **file;
            if (archive.size() + piece.size() > expected) {
                return kWrongSize;
            }
            if (archive.write(piece) != piece.size()) {
                return prefix + archive.errorString().toStdString() + ".";
            }
            if (progress) {
                progress(archive.size(), expected);
            }
            return std::nullopt;
        },
        [file, expected, signature = item.signature, verifier = std::move(verifier),
         done = std::move(done)](const std::string& failure) {
            std::string error = failure;
            QTemporaryFile& archive = **file;
            if (error.empty() && (!archive.flush() || archive.size() != expected)) {
                error = kWrongSize;
            }
            if (error.empty() &&
                !verifier.verifyFile(archive.fileName().toStdString(), signature)) {
                error = kBadSignature;
            }
            if (!error.empty()) {
                file->reset(); // removes the partial file before anyone hears of it
            }
            done(std::move(*file), error);
        });
}

} // namespace cadrelle
