#include "core/CaptureExportControl.h"
#include "core/AppError.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

TEST(CaptureExportControl, CancellingReachesCopiesAndChildrenButNeverParentsOrSiblings) {
    CaptureExportControl watcher;
    CaptureExportControl first = watcher.child();
    const CaptureExportControl second = watcher.child();
    const CaptureExportControl grandchild = first.child();
    const CaptureExportControl copyOfFirst = first;

    first.cancel();
    EXPECT_TRUE(copyOfFirst.isCancelled()) << "the owner's copy and the job's share one flag";
    EXPECT_TRUE(grandchild.isCancelled());
    EXPECT_FALSE(second.isCancelled());
    EXPECT_FALSE(watcher.isCancelled());
    EXPECT_NO_THROW(second.checkCancelled());

    // Cancelling the parent (a watcher stopping, the application quitting)
    // reaches every job, also one made afterwards.
    watcher.cancel();
    EXPECT_THROW(second.checkCancelled(), Cancelled);
    EXPECT_TRUE(watcher.child().isCancelled());
}

} // namespace
} // namespace cadrelle
