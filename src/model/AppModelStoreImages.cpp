// The application model's store images: a pending screenshot composed with
// the chosen composition.
#include "AppModel.h"

#include "compose/CaptureStoreImages.h"
#include "core/AppError.h"

namespace cadrelle {

void AppModel::saveStoreImage(const PendingScreenshot& item) {
    const std::string id = item.record.id;
    if (previewBusyIDs_.count(id) != 0 || !isPending(id)) {
        return;
    }
    if (!preferences_.storeCompositionPath) {
        screenshotError("Choose a store image composition in Settings \u2192 Device Frames.", item);
        return;
    }
    auto busy = previewBusyIDs_;
    busy.insert(id);
    setPreviewBusyIDs(std::move(busy));
    if (previewErrors_.count(id) != 0) {
        auto errors = previewErrors_;
        errors.erase(id);
        setPreviewErrors(std::move(errors));
    }
    const std::filesystem::path composition = *preferences_.storeCompositionPath;
    work_->async([this, item, composition] {
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
            auto ids = previewBusyIDs_;
            ids.erase(item.record.id);
            setPreviewBusyIDs(std::move(ids));
            if (!failure.empty()) {
                screenshotError(failure, item);
            }
        });
    });
}

} // namespace cadrelle
