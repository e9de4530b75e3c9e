#pragma once

#include "capture/CaptureProgress.h"
#include "capture/CaptureRecord.h"
#include "capture/WatchConfiguration.h"
#include "video/VideoExportFormat.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace cadrelle {

class CaptureWatcherState;

// Watches one capture folder and frames every new capture in it exactly once.
// All its work runs on its own serial queue ("lumivane.capture"); the owner
// only constructs, starts and stops it. Callbacks run on that queue.
class CaptureWatcher final {
public:
    using OnCapture = std::function<void(const CaptureRecord&)>;
    using OnError = std::function<void(const std::string&)>;
    // Current work, or none when the watcher is idle again.
    using OnProgress = std::function<void(const std::optional<CaptureProgress>&)>;
    // The answer to a format question; may be called on any thread, at most
    // once. None means the user declined or the question was withdrawn.
    using FormatAnswer = std::function<void(std::optional<VideoExportFormat>)>;
    using ChooseVideoFormat = std::function<void(const std::filesystem::path&, FormatAnswer)>;
    // The clock that times settling; tests pass their own.
    using SteadyNow = std::function<std::chrono::steady_clock::time_point()>;

    // Locks the folder, loads (or on the first run creates) the journal and
    // prepares folder events, but does not scan yet. Throws AppError or the
    // system's error and leaves nothing running.
    CaptureWatcher(WatchConfiguration config, OnCapture onCapture, OnError onError,
                   OnProgress onProgress, ChooseVideoFormat chooseVideoFormat = {},
                   SteadyNow now = {});
    // Stops the watcher if needed and ends its queue.
    ~CaptureWatcher();
    CaptureWatcher(const CaptureWatcher&) = delete;
    CaptureWatcher& operator=(const CaptureWatcher&) = delete;

    // Begins watching: folder events and a scan now and every second.
    void start();
    // Cancels a running fingerprint or render, ends watching and releases the
    // folder lock. Any thread but the watcher's own queue; later calls do
    // nothing.
    void stop();
    // Runs one scan on the watcher's queue and waits for it.
    void scanNow();

private:
    std::shared_ptr<CaptureWatcherState> state_;
};

} // namespace cadrelle
