#include "UnavailableUpdateBackend.h"

#include "core/AppError.h"

namespace cadrelle {

void UnavailableUpdateBackend::start() {
    throw AppError("This build of Cadrelle can't install updates.");
}

} // namespace cadrelle
