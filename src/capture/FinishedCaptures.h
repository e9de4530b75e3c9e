#pragma once

#include "core/FileStamp.h"
#include "core/FinishedFileEvents.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// The screenshots of a capture folder that are known to be written whole, so
// that they need not wait until they have stayed unchanged for a while: the
// writer closed the file, or the file was moved into the folder, its bytes
// form a complete PNG, and no further such event came for it during a short
// quiet time. Everything else (a file still open, incomplete or changing, a
// recording, a folder without such events) is never ready here and keeps the
// caller's settling rule. Used on one thread only, the one that made it.
class FinishedCaptures {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    // How long a file must stay without a further event after its last one.
    static constexpr std::chrono::milliseconds kQuietTime{100};

    // Follows `folder`; `onEvents` runs on this thread's event loop when
    // events wait to be collected. `enabled` false: never ready.
    FinishedCaptures(const std::filesystem::path& folder, bool enabled,
                     std::function<void()> onEvents);

    // Takes the waiting events and notes each named file with its current
    // stamp at `now`; returns the paths noted.
    std::vector<std::string> collect(TimePoint now);

    // When the screenshot at `path`, as `stamp` describes it now, is ready
    // to be processed: the end of its quiet time, or none when no event
    // vouches for this very content, or it proved not to be a complete PNG.
    std::optional<TimePoint> readyAt(const std::string& path, const FileStamp& stamp) const;

    // Whether the screenshot is ready at `now`. Reads it once per event to
    // check that it is a complete PNG.
    bool isReady(const std::string& path, const FileStamp& stamp, TimePoint now);

    // Drops what is noted for `path` (processed, or gone).
    void forget(const std::string& path) { noted_.erase(path); }
    void forgetAllBut(const std::function<bool(const std::string&)>& keep);

private:
    struct Noted {
        FileStamp stamp;
        TimePoint at;
        std::optional<bool> complete; // checked once the quiet time is over
    };

    std::filesystem::path folder_;
    std::optional<FinishedFileEvents> events_;
    std::map<std::string, Noted> noted_;
};

} // namespace cadrelle
