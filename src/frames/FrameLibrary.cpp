#include "FrameLibrary.h"

#include "InspectFrame.h"
#include "Raster.h"

#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/FolderLock.h"
#include "core/JsonSupport.h"
#include "core/Sha256.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>

namespace cadrelle {

namespace {

constexpr const char* kCatalog = "catalog.json";
constexpr const char* kRetired = "retired.json";
constexpr const char* kLibraryBusy =
    "Another copy of Cadrelle is changing the frame library. Try again when it has finished.";

bool isPlainFileName(const std::string& file) {
    return !file.empty() && std::filesystem::path(file).filename().string() == file &&
           file.front() != '.';
}

// The order a file browser uses: case-insensitive, digit runs by value.
QCollator fileBrowserCollator() {
    QLocale locale;
    // The C locale has no collation rules; fall back to plain English rules.
    if (locale.language() == QLocale::C) {
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    }
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

void sortByFrameKey(std::vector<FrameAsset>& frames) {
    const QCollator collator = fileBrowserCollator();
    std::vector<std::pair<QString, FrameAsset>> keyed;
    keyed.reserve(frames.size());
    for (auto& frame : frames) {
        keyed.emplace_back(QString::fromStdString(frameKey(frame)), std::move(frame));
    }
    std::stable_sort(keyed.begin(), keyed.end(), [&collator](const auto& a, const auto& b) {
        return collator.compare(a.first, b.first) < 0;
    });
    frames.clear();
    for (auto& [key, frame] : keyed) {
        frames.push_back(std::move(frame));
    }
}

// The shipped merge keeps the record's own field order instead of sorting keys.
nlohmann::ordered_json compactRecord(const FrameAsset& asset) {
    nlohmann::ordered_json record;
    record["id"] = asset.id;
    record["name"] = asset.name;
    record["model"] = asset.model;
    record["color"] = asset.color;
    record["file"] = asset.file;
    record["screen"] = {{"x", asset.screen.x},
                        {"y", asset.screen.y},
                        {"width", asset.screen.width},
                        {"height", asset.screen.height}};
    record["pixelWidth"] = asset.pixelWidth;
    record["pixelHeight"] = asset.pixelHeight;
    record["digest"] = asset.digest;
    if (asset.isBundled) {
        record["isBundled"] = *asset.isBundled;
    }
    return record;
}

// The bytes of an inspected frame file, read again for copying; they must
// still be the ones whose digest names the copy.
Bytes importedBytes(const std::filesystem::path& file, const FrameAsset& inspected) {
    auto bytes = Raster::readFile(file);
    if (sha256(bytes) != inspected.digest) {
        throw AppError("The frame changed while it was imported. Import it again.");
    }
    return bytes;
}

} // namespace

std::vector<FrameAsset> FrameLibrary::load() const {
    const auto catalog = directory / kCatalog;
    if (!itemExists(catalog)) {
        return {};
    }
    auto frames = readJsonFile<std::vector<FrameAsset>>(catalog, kMaxCatalogFileBytes);
    for (const auto& frame : frames) {
        if (!isPlainFileName(frame.file)) {
            throw AppError("The frame library contains an invalid filename.");
        }
    }
    return frames;
}

std::vector<FrameAsset> FrameLibrary::importFiles(const std::vector<std::filesystem::path>& files,
                                                  const LockPatience& patience) const {
    createDirectories(directory);
    // Writers of one library take turns, so no import loses another's records.
    const FolderLock writing(directory, kLibraryBusy, patience);
    auto frames = load();

    // Every file is checked before anything is copied or written.
    std::vector<FrameAsset> inspected;
    inspected.reserve(files.size());
    for (const auto& file : files) {
        inspected.push_back(inspectFrame(file));
    }

    std::set<std::string> ids;
    for (const auto& frame : frames) {
        ids.insert(frame.id);
    }
    std::vector<std::size_t> added;
    for (std::size_t i = 0; i < inspected.size(); ++i) {
        if (ids.insert(inspected[i].id).second) {
            added.push_back(i);
            frames.push_back(inspected[i]);
        }
    }
    sortByFrameKey(frames);
    // The catalog's text is made before any frame is copied, so a catalog that
    // cannot be written out leaves the library as it was.
    const std::string catalog = jsonText(nlohmann::json(frames), true);

    for (const std::size_t i : added) {
        const auto target = directory / inspected[i].file;
        if (!itemExists(target)) {
            writeExclusive(importedBytes(files[i], inspected[i]), target);
        }
    }
    writeAtomically(catalog, directory / kCatalog);
    return frames;
}

void FrameLibrary::installBundled(const FrameLibrary& shipped, const LockPatience& patience) const {
    const auto shippedFrames = shipped.load();
    std::set<std::string> shippedIds;
    for (const auto& frame : shippedFrames) {
        shippedIds.insert(frame.id);
    }
    std::set<std::string> retired;
    if (const auto retiredFile = shipped.directory / kRetired; itemExists(retiredFile)) {
        for (const auto& id :
             readJsonFile<std::vector<std::string>>(retiredFile, kMaxCatalogFileBytes)) {
            retired.insert(id);
        }
    }

    createDirectories(directory);
    const FolderLock writing(directory, kLibraryBusy, patience);
    std::vector<FrameAsset> frames;
    for (auto& frame : load()) {
        if (!frame.isBundled.value_or(false) && !retired.contains(frame.id) &&
            !shippedIds.contains(frame.id)) {
            frames.push_back(std::move(frame));
        }
    }
    for (const auto& frame : shippedFrames) {
        const auto target = directory / frame.file;
        if (!itemExists(target)) {
            writeExclusive(Raster::readFile(shipped.directory / frame.file), target);
        }
        FrameAsset bundled = frame;
        bundled.isBundled = true;
        frames.push_back(std::move(bundled));
    }

    sortByFrameKey(frames);
    nlohmann::ordered_json catalog = nlohmann::ordered_json::array();
    for (const auto& frame : frames) {
        catalog.push_back(compactRecord(frame));
    }
    writeAtomically(catalog.dump(), directory / kCatalog);
}

} // namespace cadrelle
