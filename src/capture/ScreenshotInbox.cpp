#include "ScreenshotInbox.h"

#include "capture/CaptureNaming.h"
#include "core/AppError.h"
#include "core/FileError.h"
#include "core/FileIO.h"
#include "core/FileStamp.h"
#include "core/JsonSupport.h"
#include "frames/Compositor.h"
#include "frames/LoadedFrame.h"
#include "frames/Raster.h"

#include <algorithm>

namespace cadrelle {

namespace {

bool isHexOrDash(char32_t c) {
    return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F') ||
           c == U'-' || (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF26) ||
           (c >= 0xFF41 && c <= 0xFF46);
}

void requireValidID(const std::string& id) {
    if (!isValidScreenshotID(id)) {
        throw AppError("Invalid screenshot identifier.");
    }
}

} // namespace

bool isValidScreenshotID(const std::string& id) {
    if (id.empty()) {
        return false;
    }
    // Walks the UTF-8 text one code point at a time.
    for (std::size_t i = 0; i < id.size();) {
        const auto lead = static_cast<unsigned char>(id[i]);
        char32_t c = 0;
        std::size_t length = 1;
        if (lead < 0x80) {
            c = lead;
        } else if ((lead & 0xF0) == 0xE0 && i + 2 < id.size()) {
            // Full-width digits and letters are three-byte sequences.
            c = ((lead & 0x0Fu) << 12) | ((static_cast<unsigned char>(id[i + 1]) & 0x3Fu) << 6) |
                (static_cast<unsigned char>(id[i + 2]) & 0x3Fu);
            if ((static_cast<unsigned char>(id[i + 1]) & 0xC0) != 0x80 ||
                (static_cast<unsigned char>(id[i + 2]) & 0xC0) != 0x80) {
                return false;
            }
            length = 3;
        } else {
            return false;
        }
        if (!isHexOrDash(c)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::optional<PendingScreenshot> ScreenshotInbox::item(const std::string& id) const {
    requireValidID(id);
    const auto file = directory_ / (id + ".json");
    if (!itemExists(file)) {
        return std::nullopt;
    }
    return readJsonFile(file).get<PendingScreenshot>();
}

void ScreenshotInbox::store(const PendingScreenshot& item) const {
    // The id comes from an item file when the item was read back; checked
    // here it cannot name a file outside the inbox, nor can save() then
    // remove a folder outside it.
    requireValidID(item.record.id);
    createDirectories(directory_);
    const nlohmann::json json = item;
    writeJsonFile(json, directory_ / (item.record.id + ".json"));
}

std::vector<PendingScreenshot> ScreenshotInbox::pending() const {
    std::error_code error;
    if (!std::filesystem::exists(directory_, error)) {
        return {};
    }
    std::filesystem::directory_iterator entries(directory_, error);
    if (error) {
        throw FileError(directory_, error);
    }
    std::vector<PendingScreenshot> items;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const auto& path = entries->path();
        if (path.extension() != ".json") {
            continue;
        }
        const auto found = item(path.stem().string());
        if (found && found->state == PendingScreenshot::State::pending) {
            items.push_back(*found);
        }
    }
    if (error) {
        throw FileError(directory_, error);
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const PendingScreenshot& a, const PendingScreenshot& b) {
                         return a.record.date < b.record.date;
                     });
    return items;
}

CaptureRecord ScreenshotInbox::prepare(const std::filesystem::path& input, const std::string& id,
                                       const LoadedFrame& frame,
                                       const std::filesystem::path& destination,
                                       const CaptureExportControl& control) const {
    if (const auto existing = item(id)) {
        return existing->record;
    }
    const ScopedRemoval staging(directory_ / (".preparing-" + newUuidString()));
    createDirectories(staging.path());
    const auto before = FileStamp::of(input);
    const auto source = staging.path() / "source.png";
    std::error_code error;
    std::filesystem::copy_file(input, source, error);
    if (error) {
        throw FileError(input, error);
    }
    const std::string framedName = framedOutputName(input, id, "png");
    control.checkCancelled();
    render(source, staging.path() / framedName, frame);
    control.checkCancelled();
    if (FileStamp::of(input) != before) {
        throw AppError("The screenshot is still being saved.");
    }
    const auto itemDirectory = directory_ / id;
    if (itemExists(itemDirectory)) {
        std::filesystem::remove_all(itemDirectory, error);
        if (error) {
            throw FileError(itemDirectory, error);
        }
    }
    std::filesystem::rename(staging.path(), itemDirectory, error);
    if (error) {
        throw FileError(itemDirectory, error);
    }
    const CaptureRecord record{id, secondsSinceReferenceDate(Clock::now()), input.string(),
                               (itemDirectory / framedName).string(), frameKey(frame.asset())};
    store(PendingScreenshot{record, frame.asset().id, destination.string(),
                            PendingScreenshot::State::pending, false});
    return record;
}

CaptureRecord ScreenshotInbox::save(const PendingScreenshot& item,
                                    const std::optional<std::filesystem::path>& folder) const {
    if (item.state != PendingScreenshot::State::pending) {
        return item.record;
    }
    const std::filesystem::path framed(item.record.output);
    const auto bytes = Raster::readFile(framed);
    (void)Raster::decode(bytes);
    const std::filesystem::path target = folder ? *folder : std::filesystem::path(item.destination);
    std::error_code error;
    if (!std::filesystem::is_directory(target, error)) {
        throw AppError("The save folder is unavailable. Use Save As to choose another folder.");
    }
    const std::string base = framed.stem().string();
    std::optional<std::filesystem::path> written;
    for (int n = 0; n <= 999 && !written; ++n) {
        const auto candidate =
            target / (n == 0 ? base + ".png" : base + "-" + std::to_string(n) + ".png");
        try {
            writeExclusive(bytes, candidate);
            written = candidate;
        } catch (const std::exception&) {
            if (!itemExists(candidate)) {
                throw;
            }
        }
    }
    if (!written) {
        throw AppError("Couldn't find an available filename. Choose another save folder.");
    }
    PendingScreenshot saved = item;
    saved.state = PendingScreenshot::State::saved;
    saved.record.output = written->string();
    try {
        store(saved);
    } catch (...) {
        removeQuietly(*written);
        throw;
    }
    removeQuietly(directory_ / item.record.id);
    return saved.record;
}

PendingScreenshot ScreenshotInbox::changeFrame(const PendingScreenshot& item,
                                               const LoadedFrame& frame) const {
    if (item.state != PendingScreenshot::State::pending || item.editorOpened) {
        throw AppError("Choose the bezel before editing to keep your annotations intact.");
    }
    requireValidID(item.record.id);
    const auto itemDirectory = directory_ / item.record.id;
    const auto output = itemDirectory / ("Screenshot-framed-" + item.record.id.substr(0, 16) + "-" +
                                         newUuidString().substr(0, 8) + ".png");
    render(itemDirectory / "source.png", output, frame);
    PendingScreenshot updated = item;
    updated.record.output = output.string();
    updated.record.frame = frameKey(frame.asset());
    updated.frameID = frame.asset().id;
    try {
        store(updated);
    } catch (...) {
        removeQuietly(output);
        throw;
    }
    removeQuietly(item.record.output);
    return updated;
}

} // namespace cadrelle
