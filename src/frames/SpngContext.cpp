#include "SpngContext.h"

#include "core/AppError.h"

namespace cadrelle {

SpngContext makeSpngContext(int flags, const char* failure) {
    SpngContext context(spng_ctx_new(flags));
    if (!context) {
        throw AppError(failure);
    }
    return context;
}

} // namespace cadrelle
