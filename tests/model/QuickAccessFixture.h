#pragma once

#include "ModelFixture.h"
#include "capture/CaptureDimensions.h"
#include "capture/ScreenshotInbox.h"
#include "core/FileIO.h"
#include "core/SerialQueue.h"
#include "frames/LoadedFrame.h"
#include "model/QuickAccessItems.h"
#include "support/TestFrames.h"

#include <memory>
#include <vector>

namespace cadrelle::test {

// Quick Access items on their own: no model and no watcher. The test frames
// screenshots into the inbox itself and hands their records over, as the
// watcher would; the records of items that end in the history are collected.
class QuickAccessFixture : public ModelFixture {
protected:
    QuickAccessFixture() {
        preferences.outputPath = output.string();
        items = std::make_unique<QuickAccessItems>(
            inbox, shipped.library, DesktopServices{panels, launcher, trash, loginItem, clipboard},
            preferences, work);
        items->setFrames(shipped.library.load());
        QObject::connect(items.get(), &QuickAccessItems::finished,
                         [this](const CaptureRecord& record) { history.push_back(record); });
    }

    // Lets the work the items queued end before they go.
    ~QuickAccessFixture() override { work.stop(); }

    // Frames one more screenshot of the 20 × 30 opening into the inbox,
    // hands its record to the items and returns its pending item.
    PendingScreenshot addItem() {
        const auto shot = dir / "opened" / ("Screenshot " + std::to_string(++shots) + ".png");
        writeScreenshot(shot, 20, 30, shots);
        const CaptureExportControl control;
        const FrameAsset frame = selectFrame(shot, shipped.library.load(), std::nullopt,
                                             preferences.automaticallyMatch, control);
        const CaptureRecord record = inbox.prepare(
            shot, newUuidString(), LoadedFrame(frame, shipped.library.directory / frame.file),
            output, control);
        EXPECT_TRUE(items->take(record));
        return items->pendingScreenshots().back();
    }

    bool isPending(const PendingScreenshot& item) const {
        for (const auto& pending : items->pendingScreenshots()) {
            if (pending.record.id == item.record.id) {
                return true;
            }
        }
        return false;
    }

    Preferences preferences;
    ScreenshotInbox inbox{data / "Screenshot Inbox"};
    SerialQueue work{"quick-access-test"};
    std::unique_ptr<QuickAccessItems> items;
    // The records of items saved or shared, in order.
    std::vector<CaptureRecord> history;
    std::uint32_t shots = 0;
};

} // namespace cadrelle::test
