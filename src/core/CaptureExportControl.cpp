#include "CaptureExportControl.h"

#include "AppError.h"

namespace cadrelle {

void CaptureExportControl::checkCancelled() const {
    if (isCancelled()) {
        throw Cancelled();
    }
}

} // namespace cadrelle
