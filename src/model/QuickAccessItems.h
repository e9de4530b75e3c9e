#pragma once

#include "capture/CaptureRecord.h"
#include "capture/PendingScreenshot.h"
#include "capture/Preferences.h"
#include "capture/ScreenshotInbox.h"
#include "core/ClosureMailbox.h"
#include "frames/FrameAsset.h"
#include "frames/FrameLibrary.h"
#include "model/DesktopServices.h"

#include <QObject>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cadrelle {

class SerialQueue;

// The framed screenshots waiting in Quick Access, with each card's error and
// whether work on it runs. Cards and the panel read these and call the
// actions; every action that ends an item removes it, and one that ends it
// with a record (saved or shared) hands the record on through `finished`.
// Lives on the main thread; re-framing and store images run on `work` and
// come back to the main thread to change state.
class QuickAccessItems final : public QObject {
    Q_OBJECT

public:
    // `preferences` are read when an action needs the export folder or the
    // store image composition; they must outlive the items, as must `work`.
    QuickAccessItems(ScreenshotInbox inbox, FrameLibrary library, DesktopServices services,
                     const Preferences& preferences, SerialQueue& work);

    const std::vector<PendingScreenshot>& pendingScreenshots() const { return pending_; }
    const std::map<std::string, std::string>& previewErrors() const { return previewErrors_; }
    const std::set<std::string>& previewBusyIDs() const { return previewBusyIDs_; }
    const ScreenshotInbox& inbox() const { return inbox_; }

    // Reads the pending items from the inbox. A damaged item hides none of
    // the others: the returned sentence names it (and how many more there
    // are). Throws when the inbox can't be read.
    std::optional<std::string> load();
    // The frames the finishes of an item are chosen from.
    void setFrames(std::vector<FrameAsset> frames);
    // A framed capture that may belong to Quick Access: a pending item is
    // shown (once), a deleted one is dropped; both return true. False when it
    // has no item, or one already saved or shared: the capture then belongs
    // to the history. Throws when the inbox can't be read.
    bool take(const CaptureRecord& record);

    // The frames that can replace the item's frame: those of the same model
    // with the same opening size, in library order; none when its frame is
    // no longer in the library.
    std::vector<FrameAsset> finishes(const PendingScreenshot& item) const;
    void changeScreenshotFinish(const PendingScreenshot& item, const FrameAsset& frame);
    void saveScreenshot(const PendingScreenshot& item,
                        const std::optional<std::filesystem::path>& folder = std::nullopt);
    void saveScreenshotElsewhere(const PendingScreenshot& item);
    // Composes the screenshot with the chosen store image composition and
    // saves one image per size beside where Save puts it; the card is busy
    // meanwhile and shows a failure as its error.
    void saveStoreImage(const PendingScreenshot& item);
    void screenshotDragEnded(const PendingScreenshot& item, bool accepted);
    void copyScreenshot(const PendingScreenshot& item);
    void editScreenshot(const PendingScreenshot& item);
    void discardScreenshot(const PendingScreenshot& item);
    // Shows `message` on the item's card while it is pending.
    void screenshotError(const std::string& message, const PendingScreenshot& item);

signals:
    // An item came (it is last in pendingScreenshots()).
    void itemAdded(const std::string& id);
    // An item, its error or whether it is busy changed; also when a capture
    // that is already shown is reported again.
    void itemChanged(const std::string& id);
    // An item ended and left pendingScreenshots().
    void itemRemoved(const std::string& id);
    // An item ended with this record: it belongs in the history. Emitted
    // before the item is removed.
    void finished(const CaptureRecord& record);
    // The frames changed, and with them the finishes.
    void framesChanged();

private:
    using Action = std::function<std::optional<CaptureRecord>()>;

    bool isPending(const std::string& id) const;
    void replace(const PendingScreenshot& item);
    // Marks a card busy while work on its item runs (clearing its old error),
    // or no longer busy.
    void setCardBusy(const std::string& id, bool busy);
    void finishScreenshot(const PendingScreenshot& item, const Action& action);

    const ScreenshotInbox inbox_;
    const FrameLibrary library_;
    const DesktopServices services_;
    const Preferences& preferences_;
    SerialQueue& work_;
    std::vector<FrameAsset> frames_;
    std::vector<PendingScreenshot> pending_;
    std::map<std::string, std::string> previewErrors_;
    std::set<std::string> previewBusyIDs_;
    // Results of `work` come back through it; whatever is still queued when
    // the items go is dropped with them.
    ClosureMailbox mailbox_;
};

} // namespace cadrelle
