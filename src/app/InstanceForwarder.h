#pragma once

#include "core/ClosureMailbox.h"

#include <QString>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace cadrelle {

class SerialQueue;

// What a later launch asks of the running application: frame these files,
// or show the settings window unless it was a background start.
struct LaunchRequest {
    std::vector<std::filesystem::path> files;
    bool background = false;
};

// Hands a launch's request to the copy of the application that holds the
// instance lock, over a local socket in the user's private runtime folder,
// named after the data folder's resolved path. The request is one JSON line,
// {"paths": [Base64 of each file name's bytes], "background": bool}, so a
// name that is not UTF-8 arrives as it was; the running copy answers "ok".
//
// The running copy reads and answers requests on a thread of their own, so a
// launch is answered at once even while the main thread is busy or still
// starting; the request itself waits for the main thread's event loop.
class InstanceForwarder final {
public:
    using Handler = std::function<void(const LaunchRequest&)>;

    // The socket of the application that uses `dataDirectory`. Throws
    // AppError when the user has no private folder for it.
    static QString socketName(const std::filesystem::path& dataDirectory);

    // Sends `request` to the application listening on `socket` and waits for
    // its answer, at most `limit`, running the calling thread's events
    // meanwhile. False when nobody listens or no answer came in time.
    static bool forward(const QString& socket, const LaunchRequest& request,
                        std::chrono::milliseconds limit = std::chrono::seconds(2));

    // Passes each request received to `handler` on the thread that makes
    // this object (the main thread), in the order they arrived.
    explicit InstanceForwarder(Handler handler);
    ~InstanceForwarder();
    InstanceForwarder(const InstanceForwarder&) = delete;
    InstanceForwarder& operator=(const InstanceForwarder&) = delete;

    // Listens on `socket`, replacing a socket left by a copy that ended
    // without removing it: only the holder of the instance lock may call
    // this. Throws FileError when the socket can't be made.
    void listen(const QString& socket);
    // Stops listening and removes the socket; requests already read are
    // still handed to the handler.
    void close();

private:
    class Listener;

    Handler handler_;
    ClosureMailbox mailbox_;
    std::unique_ptr<SerialQueue> queue_;
    Listener* listener_ = nullptr; // lives on queue_'s thread
    std::filesystem::path socket_;
};

} // namespace cadrelle
