#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace cadrelle {

// Why the movie at `path` can't be played — a missing or unreadable file, a
// damaged container, no video track, a video track no decoder reads — or
// nothing when it can. Reads only the container's header, so it answers in
// milliseconds even for a large movie.
std::optional<std::string> whyUnplayable(const std::filesystem::path& path);

} // namespace cadrelle
