#pragma once

#include "updates/Appcast.h"
#include "updates/Ed25519Verifier.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QNetworkReply;
class QTemporaryFile;

namespace cadrelle {

// Reads the update feed and downloads update archives, over HTTPS only: the
// server's certificate is checked, redirects never lead to plain HTTP, a
// transfer that stalls for `transferTimeout` ends, and every failure ends
// with a sentence for the user. One transfer at a time; main thread only.
class UpdateDownloader final : public QObject {
    Q_OBJECT

public:
    struct Options {
        // PEM file of certificate authorities trusted besides the system's.
        std::string extraCertificateAuthorities;
        std::chrono::milliseconds transferTimeout{std::chrono::seconds(60)};
    };
    using FeedDone = std::function<void(const QByteArray& body, const std::string& error)>;
    // The archive (removed when the handle goes), or none and the sentence.
    using ArchiveDone =
        std::function<void(std::unique_ptr<QTemporaryFile> archive, const std::string& error)>;
    using Progress = std::function<void(qint64 received, qint64 total)>;

    explicit UpdateDownloader(Options options, QObject* parent = nullptr);
    ~UpdateDownloader() override;

    // Reads the feed at `url`, refusing more than Appcast::maximumSize bytes.
    void fetchFeed(const std::string& url, FeedDone done);
    // Downloads `item`'s archive into a temporary file in `folder`, then
    // checks its length and its signature with `verifier`. A body longer
    // than the item says ends the transfer at once. On every failure the
    // temporary file is gone before `done` is called.
    void fetchArchive(const AppcastItem& item, Ed25519Verifier verifier,
                      const std::filesystem::path& folder, Progress progress, ArchiveDone done);
    // Stops the transfer under way, if any, without calling its `done`.
    void cancel();

private:
    // Starts a GET of `url`; `onData` takes each piece of the body and
    // returns a sentence to stop with, or nothing; `onEnd` gets the
    // transfer's failure sentence, empty on success.
    using DataHandler = std::function<std::optional<std::string>(const QByteArray&)>;
    void start(const std::string& url, const std::string& failurePrefix, DataHandler onData,
               std::function<void(const std::string&)> onEnd);
    void read(QNetworkReply& reply, const DataHandler& take);
    void finish(QNetworkReply* reply, const std::string& failurePrefix,
                const std::function<void(const std::string&)>& onEnd);

    const Options options_;
    QNetworkAccessManager network_;
    QPointer<QNetworkReply> reply_;
    std::string stopReason_;
};

} // namespace cadrelle
