#include "ScreenshotInbox.h"

#include "capture/CaptureNaming.h"
#include "core/AppError.h"
#include "core/FileError.h"
#include "core/FileIO.h"
#include "core/FileStamp.h"
#include "core/FirstCharacters.h"
#include "core/JsonSupport.h"
#include "core/PrivateFolder.h"
#include "core/TemporaryItems.h"
#include "frames/Compositor.h"
#include "frames/LoadedFrame.h"
#include "frames/Raster.h"

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
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

bool isLink(const std::filesystem::path& path) {
    struct stat attributes {};
    return ::lstat(path.c_str(), &attributes) == 0 && S_ISLNK(attributes.st_mode);
}

bool isRealFolder(const std::filesystem::path& path) {
    struct stat attributes {};
    return ::lstat(path.c_str(), &attributes) == 0 && S_ISDIR(attributes.st_mode);
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
    const auto folder = (directory_ / item.record.id).lexically_normal();
    const auto framed = std::filesystem::path(item.record.output).lexically_normal();
    if (framed.parent_path() != folder || !framed.has_filename() ||
        framed.filename() == "source.png") {
        throw damagedItem(item.record.id);
    }
    // The id has no separator and no dot, so a folder that is no link stays
    // inside the inbox; a link could lead anywhere. Missing files are left
    // to the reader, which names them.
    if ((itemExists(folder) && !isRealFolder(folder)) || isLink(framed) ||
        isLink(folder / "source.png")) {
        throw damagedItem(item.record.id);
    }
    return framed;
}

void ScreenshotInbox::requireIntactItem(const PendingScreenshot& item) const {
    (void)framedImageOf(item);
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
    // A link would read some other file as this item.
    if (isLink(file)) {
        throw damagedItem(id);
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

std::vector<PendingScreenshot> ScreenshotInbox::pending(std::vector<std::string>* damaged) const {
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
        try {
            const auto found = item(path.stem().string());
            if (found && found->state == PendingScreenshot::State::pending) {
                requireIntactItem(*found);
                items.push_back(*found);
            }
        } catch (const std::exception& failure) {
            if (!damaged) {
                throw;
            }
            // One damaged or foreign item must not hide the others.
            std::string description = userDescription(failure);
            if (description.rfind(path.string(), 0) != 0) {
                description = path.string() + ": " + description;
            }
            damaged->push_back(description);
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
    claimTemporaryFolder(directory_, true);
    createDirectories(folder);
    const auto before = FileStamp::of(input);
    const auto source = folder / "source.png";
    std::error_code error;
    std::filesystem::copy_file(input, source, error);
    if (error) {
        throw FileError(input, error);
    }
    // The copy has the original's permissions; the inbox keeps it private.
    if (isInPrivateFolder(folder) && ::chmod(source.c_str(), 0600) != 0) {
        throwFileError(source);
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
    claimTemporaryFolder(directory_, true);
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
    // A single file of the item's own folder, never through a link: the
    // folder is opened without following one.
    const FileDescriptor folder(
        ::open(itemDirectory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.isOpen()) {
        ::unlinkat(folder.get(), previous.filename().c_str(), 0);
    }
    return updated;
}

} // namespace cadrelle
