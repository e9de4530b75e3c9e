#pragma once

#include <string>

namespace cadrelle {

// How a path is kept in a JSON file (the watcher's journal, the capture
// history and inbox items). JSON text is UTF-8, while a Linux file name may
// hold any byte but "/" and NUL. A path that is valid UTF-8 is kept as it is,
// so every file written so far reads the same; any other path is kept as a
// NUL, "bytes:" and the Base64 of its bytes. No path holds a NUL, so the two
// forms never meet.
std::string storedPath(const std::string& path);

// The path a stored text names. Text holding a NUL that is not a valid
// stored form throws nlohmann::json::other_error, like any other damage
// found while decoding the file.
std::string pathFromStored(const std::string& text);

} // namespace cadrelle
