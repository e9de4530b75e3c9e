#pragma once

#include <spng.h>

#include <memory>

namespace cadrelle {

struct SpngContextDeleter {
    void operator()(spng_ctx* context) const noexcept { spng_ctx_free(context); }
};

// Owns one libspng decoder or encoder context.
using SpngContext = std::unique_ptr<spng_ctx, SpngContextDeleter>;

// A new context: flags 0 for a decoder, SPNG_CTX_ENCODER for an encoder.
// libspng fails only when it has no memory; that throws AppError(failure).
SpngContext makeSpngContext(int flags, const char* failure);

} // namespace cadrelle
