#include "ScreenshotInbox.h"

#include "capture/CaptureNaming.h"
#include "core/AppError.h"
#include "core/FileError.h"
#include "core/FileIO.h"
#include "core/FileStamp.h"
#include "core/FirstCharacters.h"
#include "core/JsonSupport.h"
#include "frames/Compositor.h"
#include "frames/LoadedFrame.h"
#include "frames/Raster.h"

#include <algorithm>

#include <unistd.h>

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

// ".png", then "-1.png", "-2.png" and so on for the copies after the first.
std::string numberedSuffix(int n) {
    std::string suffix;
    if (n > 0) {
        suffix = "-";
        suffix += std::to_string(n);
    }
    return suffix + ".png";
}

} // namespace

AppError ScreenshotInbox::damagedItem(const std::string& id) const {
    return AppError((directory_ / (id + ".json")).string() + ": The screenshot item is damaged.");
}

std::filesystem::path ScreenshotInbox::framedImageOf(const PendingScreenshot& item) const {
    requireValidID(item.record.id);
    // A pending item's framed image is a file of its own folder, next to its
    // original; anything else came from a damaged item file.
    const auto framed = std::filesystem::path(item.record.output).lexically_normal();
    if (framed.parent_path() != (directory_ / item.record.id).lexically_normal() ||
        !framed.has_filename() || framed.filename() == "source.png") {
        throw damagedItem(item.record.id);
    }
    return framed;
}

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
    auto found = readJsonFile<PendingScreenshot>(file, kMaxInboxItemFileBytes);
    // The id names the item's folder, which save() removes: only the id of
    // the file's own name is taken.
    if (found.record.id != id) {
        throw damagedItem(id);
    }
    return found;
}

void ScreenshotInbox::store(const PendingScreenshot& item) const {
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
    StagedScreenshot staged = stage(input, id, frame, control);
    return publish(staged, destination);
}

StagedScreenshot ScreenshotInbox::stage(const std::filesystem::path& input, const std::string& id,
                                        const LoadedFrame& frame,
                                        const CaptureExportControl& control) const {
    StagedScreenshot staged{
        std::make_unique<ScopedRemoval>(directory_ / (".preparing-" + newUuidString())),
        input,
        id,
        framedOutputName(input, id, "png"),
        frame.asset().id,
        frameKey(frame.asset())};
    const auto& folder = staged.staging->path();
    createDirectories(folder);
    const auto before = FileStamp::of(input);
    const auto source = folder / "source.png";
    std::error_code error;
    std::filesystem::copy_file(input, source, error);
    if (error) {
        throw FileError(input, error);
    }
    control.checkCancelled();
    render(source, folder / staged.framedName, frame);
    control.checkCancelled();
    if (FileStamp::of(input) != before) {
        throw AppError("The screenshot is still being saved.");
    }
    return staged;
}

CaptureRecord ScreenshotInbox::publish(StagedScreenshot& staged,
                                       const std::filesystem::path& destination) const {
    if (const auto existing = item(staged.id)) {
        return existing->record;
    }
    const auto itemDirectory = directory_ / staged.id;
    std::error_code error;
    if (itemExists(itemDirectory)) {
        std::filesystem::remove_all(itemDirectory, error);
        if (error) {
            throw FileError(itemDirectory, error);
        }
    }
    std::filesystem::rename(staged.staging->path(), itemDirectory, error);
    if (error) {
        throw FileError(itemDirectory, error);
    }
    staged.staging->release();
    const CaptureRecord record{staged.id, secondsSinceReferenceDate(Clock::now()),
                               staged.input.string(), (itemDirectory / staged.framedName).string(),
                               staged.frameLabel};
    store(PendingScreenshot{record, staged.frameID, destination.string(),
                            PendingScreenshot::State::pending, false});
    return record;
}

CaptureRecord ScreenshotInbox::save(const PendingScreenshot& item,
                                    const std::optional<std::filesystem::path>& folder) const {
    if (item.state != PendingScreenshot::State::pending) {
        return item.record;
    }
    const std::filesystem::path framed = framedImageOf(item);
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
        const auto candidate = target / fittedFileName(base, numberedSuffix(n));
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
    const auto previous = framedImageOf(item);
    const auto itemDirectory = directory_ / item.record.id;
    const auto output =
        itemDirectory / ("Screenshot-framed-" + firstCharacters(item.record.id, 16) + "-" +
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
    // A single file: never a folder, whatever the item says.
    ::unlink(previous.c_str());
    return updated;
}

} // namespace cadrelle
