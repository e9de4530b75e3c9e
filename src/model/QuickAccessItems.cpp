#include "QuickAccessItems.h"

#include "compose/CaptureStoreImages.h"
#include "core/AppError.h"
#include "core/SerialQueue.h"
#include "frames/LoadedFrame.h"
#include "frames/Raster.h"

#include <algorithm>

namespace cadrelle {

namespace {

// The error line naming the first damaged inbox item, and how many more.
std::optional<std::string> damagedItemsMessage(const std::vector<std::string>& damaged) {
    if (damaged.empty()) {
        return std::nullopt;
    }
    std::string message = damaged.front();
    if (damaged.size() == 2) {
        message.append(" Another screenshot item is damaged too.");
    } else if (damaged.size() > 2) {
        message.append(" ").append(std::to_string(damaged.size() - 1));
        message.append(" other screenshot items are damaged too.");
    }
    return message;
}

const char* const kUnreadableScreenshot =
    "Couldn't read the screenshot. Finish saving your edits, then try again.";

} // namespace

QuickAccessItems::QuickAccessItems(ScreenshotInbox inbox, FrameLibrary library,
                                   DesktopServices services, const Preferences& preferences,
                                   SerialQueue& work)
    : inbox_(std::move(inbox)), library_(std::move(library)), services_(std::move(services)),
      preferences_(preferences), work_(work) {}

std::optional<std::string> QuickAccessItems::load() {
    std::vector<std::string> damaged;
    pending_ = inbox_.pending(&damaged);
    for (const PendingScreenshot& item : pending_) {
        emit itemAdded(item.record.id);
    }
    return damagedItemsMessage(damaged);
}

void QuickAccessItems::setFrames(std::vector<FrameAsset> frames) {
    frames_ = std::move(frames);
    emit framesChanged();
}

bool QuickAccessItems::take(const CaptureRecord& record) {
    const auto item = inbox_.item(record.id);
    if (!item) {
        return false;
    }
    if (item->state == PendingScreenshot::State::pending) {
        if (isPending(record.id)) {
            emit itemChanged(record.id);
        } else {
            pending_.push_back(*item);
            emit itemAdded(record.id);
        }
        return true;
    }
    return item->state == PendingScreenshot::State::deleted;
}

bool QuickAccessItems::isPending(const std::string& id) const {
    return std::any_of(pending_.begin(), pending_.end(),
                       [&](const PendingScreenshot& item) { return item.record.id == id; });
}

void QuickAccessItems::replace(const PendingScreenshot& item) {
    for (auto& entry : pending_) {
        if (entry.record.id == item.record.id) {
            entry = item;
        }
    }
    emit itemChanged(item.record.id);
}

void QuickAccessItems::setCardBusy(const std::string& id, bool busy) {
    if (busy) {
        previewBusyIDs_.insert(id);
        previewErrors_.erase(id);
    } else {
        previewBusyIDs_.erase(id);
    }
    emit itemChanged(id);
}

void QuickAccessItems::finishScreenshot(const PendingScreenshot& item, const Action& action) {
    const std::string id = item.record.id;
    if (previewBusyIDs_.count(id) != 0 || !isPending(id)) {
        return;
    }
    std::optional<CaptureRecord> record;
    try {
        record = action();
    } catch (const std::exception& error) {
        screenshotError(userDescription(error), item);
        return;
    }
    if (record) {
        emit finished(*record);
    }
    std::erase_if(pending_, [&](const PendingScreenshot& p) { return p.record.id == id; });
    previewErrors_.erase(id);
    emit itemRemoved(id);
}

std::vector<FrameAsset> QuickAccessItems::finishes(const PendingScreenshot& item) const {
    const auto current = std::find_if(frames_.begin(), frames_.end(), [&](const FrameAsset& frame) {
        return frame.id == item.frameID;
    });
    if (current == frames_.end()) {
        return {};
    }
    std::vector<FrameAsset> result;
    std::copy_if(
        frames_.begin(), frames_.end(), std::back_inserter(result), [&](const FrameAsset& frame) {
            return frame.model == current->model && frame.screen.width == current->screen.width &&
                   frame.screen.height == current->screen.height;
        });
    return result;
}

void QuickAccessItems::saveScreenshot(const PendingScreenshot& item,
                                      const std::optional<std::filesystem::path>& folder) {
    finishScreenshot(item, [this, &item, &folder] { return inbox_.save(item, folder); });
}

void QuickAccessItems::saveScreenshotElsewhere(const PendingScreenshot& item) {
    FilePanelRequest request;
    request.kind = FilePanelRequest::Kind::folder;
    request.title = "Choose where to save this framed screenshot.";
    request.button = "Save Here";
    request.allowNewFolders = true;
    request.startFolder = std::filesystem::path(preferences_.outputPath);
    services_.panels->show(request, [this, item](std::vector<std::filesystem::path> folders) {
        if (!folders.empty()) {
            saveScreenshot(item, folders.front());
        }
    });
}

void QuickAccessItems::screenshotDragEnded(const PendingScreenshot& item, bool accepted) {
    if (!accepted) {
        return;
    }
    finishScreenshot(item, [this, &item] {
        PendingScreenshot shared = item;
        shared.state = PendingScreenshot::State::shared;
        inbox_.store(shared);
        return std::optional<CaptureRecord>(shared.record);
    });
}

void QuickAccessItems::discardScreenshot(const PendingScreenshot& item) {
    finishScreenshot(item, [this, &item]() -> std::optional<CaptureRecord> {
        // A folder that is a link would send something else to the Trash.
        inbox_.requireIntactItem(item);
        PendingScreenshot deleted = item;
        deleted.state = PendingScreenshot::State::deleted;
        inbox_.store(deleted);
        try {
            // The item's folder is named by its id, which means nothing to
            // the user: a failure names the framed screenshot instead.
            services_.trash->moveToTrash(
                inbox_.directory() / item.record.id,
                std::filesystem::path(item.record.output).filename().string());
        } catch (...) {
            inbox_.store(item);
            throw;
        }
        return std::nullopt;
    });
}

void QuickAccessItems::copyScreenshot(const PendingScreenshot& item) {
    try {
        // Checked with the program's own decoder first: a file that is still
        // being saved by the editor is refused instead of copied half-written.
        (void)Raster::load(item.record.output);
    } catch (const std::exception&) {
        screenshotError(kUnreadableScreenshot, item);
        return;
    }
    services_.clipboard->clear();
    if (!services_.clipboard->putImage(item.record.output)) {
        screenshotError(kUnreadableScreenshot, item);
    }
}

void QuickAccessItems::editScreenshot(const PendingScreenshot& item) {
    if (!services_.launcher->hasImageEditor()) {
        screenshotError("An image editor couldn't be found on this computer.", item);
        return;
    }
    PendingScreenshot opened = item;
    opened.editorOpened = true;
    try {
        inbox_.store(opened);
    } catch (const std::exception& error) {
        screenshotError(userDescription(error), item);
        return;
    }
    // The card shows the editing hint and locks the finish from now on.
    replace(opened);
    try {
        services_.launcher->editImage(item.record.output);
    } catch (const std::exception& error) {
        screenshotError(userDescription(error), opened);
    }
}

void QuickAccessItems::changeScreenshotFinish(const PendingScreenshot& item,
                                              const FrameAsset& frame) {
    const std::string id = item.record.id;
    if (previewBusyIDs_.count(id) != 0) {
        return;
    }
    setCardBusy(id, true);
    work_.async([this, item, frame, library = library_, box = inbox_] {
        std::optional<PendingScreenshot> changed;
        std::string failure;
        try {
            changed = box.changeFrame(item, LoadedFrame(frame, library.directory / frame.file));
        } catch (const std::exception& error) {
            failure = userDescription(error);
        }
        mailbox_.post([this, item, changed, failure] {
            setCardBusy(item.record.id, false);
            if (!changed) {
                screenshotError(failure, item);
            } else if (isPending(item.record.id)) {
                replace(*changed);
            }
        });
    });
}

void QuickAccessItems::saveStoreImage(const PendingScreenshot& item) {
    const std::string id = item.record.id;
    if (previewBusyIDs_.count(id) != 0 || !isPending(id)) {
        return;
    }
    if (!preferences_.storeCompositionPath) {
        screenshotError("Choose a store image composition in Settings \u2192 Device Frames.", item);
        return;
    }
    setCardBusy(id, true);
    const std::filesystem::path composition = *preferences_.storeCompositionPath;
    work_.async([this, item, composition] {
        std::string failure;
        try {
            CaptureStoreImages(composition)
                .save(item.record.output,
                      std::filesystem::path(item.record.original).filename().string(),
                      std::filesystem::path(item.destination));
        } catch (const std::exception& error) {
            failure = userDescription(error);
        }
        mailbox_.post([this, item, failure] {
            setCardBusy(item.record.id, false);
            if (!failure.empty()) {
                screenshotError(failure, item);
            }
        });
    });
}

void QuickAccessItems::screenshotError(const std::string& message, const PendingScreenshot& item) {
    if (!isPending(item.record.id)) {
        return;
    }
    previewErrors_[item.record.id] = message;
    emit itemChanged(item.record.id);
}

} // namespace cadrelle
