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
    setCardBusy(id, true);
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
            setCardBusy(item.record.id, false);
            if (!failure.empty()) {
                screenshotError(failure, item);
            }
        });
    });
}

} // namespace cadrelle
