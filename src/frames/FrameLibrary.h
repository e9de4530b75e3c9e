#pragma once

#include "core/LockFile.h"
#include "frames/FrameAsset.h"

#include <filesystem>
#include <vector>

namespace cadrelle {

// A directory of device-frame PNGs named by their SHA-256 plus "catalog.json".
// All state lives in the directory. Writers of one directory take turns
// through a lock file of the user's (see FolderLock.h), so imports running at
// once (in one process or several) each keep every record; a writer that
// waited as long as `patience` allows fails with "Another copy of Cadrelle is
// changing the frame library. Try again when it has finished."
struct FrameLibrary {
    std::filesystem::path directory;

    // The catalog's records in stored order; a missing catalog is an empty list.
    std::vector<FrameAsset> load() const;
    // Inspects every file first, then copies new frames in and rewrites the
    // sorted catalog; returns the whole catalog.
    std::vector<FrameAsset> importFiles(const std::vector<std::filesystem::path>& files,
                                        const LockPatience& patience = patienceOf(kLockWait)) const;
    // Merges the frames shipped with the application into this library,
    // dropping bundled records no longer shipped and ids listed in the shipped
    // folder's "retired.json".
    void installBundled(const FrameLibrary& shipped,
                        const LockPatience& patience = patienceOf(kLockWait)) const;
};

} // namespace cadrelle
