#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

namespace cadrelle {

// What a later launch asks of the running application: frame these files,
// or show the settings window unless it was a background start.
struct LaunchRequest {
    std::vector<std::filesystem::path> files;
    bool background = false;
};

// Hands a launch's request to the copy of the application that holds the
// instance lock, over a local socket in the user's runtime folder named after
// the data folder. The request is one JSON line, {"files": [...],
// "background": bool}; the running copy answers "ok" once it has it.
class InstanceForwarder final : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(const LaunchRequest&)>;

    // The socket of the application that uses `dataDirectory`.
    static QString socketName(const std::filesystem::path& dataDirectory);

    // Sends `request` to the application listening on `socket` and waits for
    // its answer, at most `limit`, running the calling thread's events
    // meanwhile. False when nobody listens or no answer came in time.
    static bool forward(const QString& socket, const LaunchRequest& request,
                        std::chrono::milliseconds limit = std::chrono::seconds(2));

    // Receives requests and passes each one to `handler` on this thread.
    explicit InstanceForwarder(Handler handler);

    // Listens on `socket`, replacing a socket left by a copy that ended
    // without removing it: only the holder of the instance lock may call
    // this. False when the socket can't be made.
    bool listen(const QString& socket);
    void close() { server_.close(); }

private:
    void accept();

    QLocalServer server_;
    Handler handler_;
};

} // namespace cadrelle
