// The application model's Quick Access actions: what the cards do with a
// pending framed screenshot.
#include "AppModel.h"

#include "core/AppError.h"
#include "frames/Raster.h"

#include <algorithm>

namespace cadrelle {

bool AppModel::isPending(const std::string& id) const {
    return std::any_of(pending_.begin(), pending_.end(),
                       [&](const PendingScreenshot& item) { return item.record.id == id; });
}

void AppModel::finishScreenshot(const PendingScreenshot& item, const Action& action) {
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
        remember(*record);
    }
    auto pending = pending_;
    std::erase_if(pending, [&](const PendingScreenshot& p) { return p.record.id == id; });
    setPending(std::move(pending));
    if (previewErrors_.count(id) != 0) {
        auto errors = previewErrors_;
        errors.erase(id);
        setPreviewErrors(std::move(errors));
    }
    notifyQuickAccess();
}

std::vector<FrameAsset> AppModel::finishes(const PendingScreenshot& item) const {
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

void AppModel::saveScreenshot(const PendingScreenshot& item,
                              const std::optional<std::filesystem::path>& folder) {
    finishScreenshot(item, [this, &item, &folder] { return inbox().save(item, folder); });
}

void AppModel::saveScreenshotElsewhere(const PendingScreenshot& item) {
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

void AppModel::screenshotDragEnded(const PendingScreenshot& item, bool accepted) {
    if (!accepted) {
        return;
    }
    finishScreenshot(item, [this, &item] {
        PendingScreenshot shared = item;
        shared.state = PendingScreenshot::State::shared;
        inbox().store(shared);
        return std::optional<CaptureRecord>(shared.record);
    });
}

void AppModel::discardScreenshot(const PendingScreenshot& item) {
    finishScreenshot(item, [this, &item]() -> std::optional<CaptureRecord> {
        // A folder that is a link would send something else to the Trash.
        inbox().requireIntactItem(item);
        PendingScreenshot deleted = item;
        deleted.state = PendingScreenshot::State::deleted;
        inbox().store(deleted);
        try {
            // The item's folder is named by its id, which means nothing to
            // the user: a failure names the framed screenshot instead.
            services_.trash->moveToTrash(
                inbox().directory() / item.record.id,
                std::filesystem::path(item.record.output).filename().string());
        } catch (...) {
            inbox().store(item);
            throw;
        }
        return std::nullopt;
    });
}

void AppModel::copyScreenshot(const PendingScreenshot& item) {
    try {
        // Checked with the program's own decoder first: a file that is still
        // being saved by the editor is refused instead of copied half-written.
        (void)Raster::load(item.record.output);
    } catch (const std::exception&) {
        screenshotError("Couldn't read the screenshot. Finish saving your edits, then try again.",
                        item);
        return;
    }
    services_.pasteboard->clear();
    if (!services_.pasteboard->putImage(item.record.output)) {
        screenshotError("Couldn't read the screenshot. Finish saving your edits, then try again.",
                        item);
    }
}

void AppModel::editScreenshot(const PendingScreenshot& item) {
    if (!services_.launcher->hasImageEditor()) {
        screenshotError("An image editor couldn't be found on this computer.", item);
        return;
    }
    PendingScreenshot opened = item;
    opened.editorOpened = true;
    try {
        inbox().store(opened);
    } catch (const std::exception& error) {
        screenshotError(userDescription(error), item);
        return;
    }
    auto pending = pending_;
    for (auto& entry : pending) {
        if (entry.record.id == item.record.id) {
            entry = opened;
        }
    }
    setPending(std::move(pending));
    // The card shows the editing hint and locks the finish from now on.
    notifyQuickAccess();
    try {
        services_.launcher->editImage(item.record.output);
    } catch (const std::exception& error) {
        screenshotError(userDescription(error), opened);
    }
}

void AppModel::changeScreenshotFinish(const PendingScreenshot& item, const FrameAsset& frame) {
    const std::string id = item.record.id;
    if (previewBusyIDs_.count(id) != 0) {
        return;
    }
    setCardBusy(id, true);
    work_->async([this, item, frame, library = library_, box = inbox()] {
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
                return;
            }
            if (isPending(item.record.id)) {
                auto pending = pending_;
                for (auto& entry : pending) {
                    if (entry.record.id == item.record.id) {
                        entry = *changed;
                    }
                }
                setPending(std::move(pending));
                notifyQuickAccess();
            }
        });
    });
}

void AppModel::screenshotError(const std::string& message, const PendingScreenshot& item) {
    if (!isPending(item.record.id)) {
        return;
    }
    auto errors = previewErrors_;
    errors[item.record.id] = message;
    setPreviewErrors(std::move(errors));
    notifyQuickAccess();
}

} // namespace cadrelle
