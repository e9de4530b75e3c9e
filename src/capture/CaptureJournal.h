#pragma once

#include "core/FileStamp.h"

#include <filesystem>
#include <map>
#include <string>

namespace cadrelle {

// The files a watcher has finished with: path → the stamp it had then. Paths
// are kept in the journal as StoredPath.h describes.
using HandledFiles = std::map<std::string, FileStamp>;

// Reads a journal (a JSON object of path → {"size", "modified"}); a read error
// is thrown as it comes, a damaged file as AppError naming the file.
HandledFiles readCaptureJournal(const std::filesystem::path& file);

// Writes the journal atomically, creating its folder when missing.
void writeCaptureJournal(const HandledFiles& handled, const std::filesystem::path& file);

} // namespace cadrelle
