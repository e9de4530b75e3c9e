#include "FinishedCaptures.h"

#include "core/FileIO.h"
#include "frames/CompletePng.h"

#include <exception>

namespace cadrelle {

FinishedCaptures::FinishedCaptures(const std::filesystem::path& folder, bool enabled,
                                   std::function<void()> onEvents)
    : folder_(folder) {
    if (enabled) {
        events_.emplace(folder, std::move(onEvents));
    }
}

std::vector<std::string> FinishedCaptures::collect(TimePoint now) {
    std::vector<std::string> paths;
    if (!events_) {
        return paths;
    }
    for (const auto& name : events_->take()) {
        const std::filesystem::path path = folder_ / name;
        if (lowercaseExtension(path) != "png") {
            continue;
        }
        if (const auto stamp = FileStamp::ofEntry(path)) {
            noted_.insert_or_assign(path.string(), Noted{*stamp, now, std::nullopt});
        } else {
            noted_.erase(path.string());
        }
        paths.push_back(path.string());
    }
    return paths;
}

std::optional<FinishedCaptures::TimePoint> FinishedCaptures::readyAt(const std::string& path,
                                                                     const FileStamp& stamp) const {
    const auto found = noted_.find(path);
    if (found == noted_.end() || found->second.stamp != stamp || found->second.complete == false) {
        return std::nullopt;
    }
    return found->second.at + kQuietTime;
}

bool FinishedCaptures::isReady(const std::string& path, const FileStamp& stamp, TimePoint now) {
    const auto ready = readyAt(path, stamp);
    if (!ready || now < *ready) {
        return false;
    }
    Noted& noted = noted_.at(path);
    if (!noted.complete) {
        try {
            const Bytes bytes = readFile(path, kMaxPngFileBytes);
            noted.complete = isCompletePng(bytes) && FileStamp::ofEntry(path) == stamp;
        } catch (const std::exception&) {
            noted.complete = false; // unreadable now: the settling rule decides
        }
    }
    return *noted.complete;
}

void FinishedCaptures::forgetAllBut(const std::function<bool(const std::string&)>& keep) {
    std::erase_if(noted_, [&](const auto& entry) { return !keep(entry.first); });
}

} // namespace cadrelle
