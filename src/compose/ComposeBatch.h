#pragma once

#include "compose/ComposeEngine.h"
#include "compose/StoreComposer.h"

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace cadrelle {

// One run of `cadrelle compose`: every chosen locale × screen × size, written
// to "<output>/<locale>/<size>/<NN>-<screen>.png". Each capture is framed
// once for all its sizes; captures are composed on every core. A failed image
// is reported and the others are still written; nothing is left of it.
class ComposeBatch {
public:
    // Reads the composition, resolves the chosen locales and sizes (throwing
    // for a name it doesn't know) and prepares fonts and frames.
    explicit ComposeBatch(const ComposeRequest& request);

    std::size_t imageCount() const {
        return locales_.size() * composer_.composition().screens.size() * sizes_.size();
    }

    bool run(const ComposeReport& report, const CaptureExportControl& stop);

private:
    // Composes one screen of one locale in every size; never throws.
    void composeScreen(const Locale& locale, std::size_t screen, const ComposeReport& report,
                       const CaptureExportControl& stop);
    void reportResult(const ComposeReport& report, const std::string& image,
                      const std::filesystem::path& written, const std::string& failure);

    StoreComposer composer_;
    std::filesystem::path output_;
    std::vector<Locale> locales_;
    std::vector<StoreSize> sizes_;
    std::size_t encodeThreads_ = 0;

    std::mutex lock_; // guards the counts and the report
    std::size_t done_ = 0;
    std::size_t failures_ = 0;
};

} // namespace cadrelle
