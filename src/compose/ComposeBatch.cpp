#include "ComposeBatch.h"

#include "compose/CompositionReader.h"
#include "compose/RgbPngWriter.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/ParallelFor.h"

#include <cstdio>
#include <optional>

namespace cadrelle {

namespace {

namespace fs = std::filesystem;

std::vector<Locale> chosenLocales(const Composition& composition,
                                  const std::vector<std::string>& names) {
    if (names.empty()) {
        return composition.locales;
    }
    std::vector<Locale> chosen;
    for (const std::string& name : names) {
        const auto found = std::find_if(composition.locales.begin(), composition.locales.end(),
                                        [&](const Locale& locale) { return locale.name == name; });
        if (found == composition.locales.end()) {
            std::string known;
            for (const Locale& locale : composition.locales) {
                known += (known.empty() ? "" : ", ") + locale.name;
            }
            throw AppError(composition.file.string() + " has no locale \"" + name +
                           "\". Its locales: " + known + ".");
        }
        chosen.push_back(*found);
    }
    return chosen;
}

std::vector<StoreSize> chosenSizes(const Composition& composition,
                                   const std::vector<std::string>& names) {
    if (names.empty()) {
        return composition.sizes;
    }
    std::vector<StoreSize> chosen;
    for (const std::string& name : names) {
        chosen.push_back(storeSizeNamed(name));
    }
    return chosen;
}

// "01-home.png": the screen's place in the composition and its name.
std::string imageFileName(std::size_t screen, const std::string& name) {
    char number[8];
    std::snprintf(number, sizeof number, "%02zu", screen + 1);
    return std::string(number) + "-" + name + ".png";
}

} // namespace

ComposeBatch::ComposeBatch(const ComposeRequest& request)
    : composer_(readComposition(request.composition), request.frames), output_(request.output) {
    locales_ = chosenLocales(composer_.composition(), request.locales);
    sizes_ = chosenSizes(composer_.composition(), request.sizes);
}

bool ComposeBatch::run(const ComposeReport& report, const CaptureExportControl& stop) {
    const std::size_t screens = composer_.composition().screens.size();
    if (report.progress) {
        report.progress(0, imageCount());
    }
    // Screens are composed on every core; with fewer screens than cores each
    // image's encoding takes the cores instead.
    const std::size_t tasks = locales_.size() * screens;
    encodeThreads_ = tasks >= availableThreads() ? 1 : 0;
    parallelFor("lumivane.compose", tasks, availableThreads(), [&](std::size_t index) {
        composeScreen(locales_[index / screens], index % screens, report, stop);
    });
    stop.checkCancelled();
    return failures_ == 0;
}

void ComposeBatch::composeScreen(const Locale& locale, std::size_t screenIndex,
                                 const ComposeReport& report, const CaptureExportControl& stop) {
    const Screen& screen = composer_.composition().screens[screenIndex];
    // What spoils every size of this screen: its strings and its capture.
    std::optional<CaptionTexts> texts;
    QImage device;
    std::string failure;
    try {
        texts = StoreComposer::texts(locale, LocaleStrings(locale.name, locale.strings), screen);
        device = composer_.framedCapture(composer_.findCapture(locale, screen), stop);
    } catch (const Cancelled&) {
        return;
    } catch (...) {
        failure = userDescription(std::current_exception());
    }
    for (const StoreSize& size : sizes_) {
        const std::string image = locale.name + "/" + size.name + "/" + screen.name;
        if (stop.isCancelled()) {
            return;
        }
        if (!failure.empty()) {
            reportResult(report, image, {}, failure);
            continue;
        }
        const fs::path path =
            output_ / locale.name / size.name / imageFileName(screenIndex, screen.name);
        try {
            writeExclusive(encodeRgbPng(composer_.render(size, device, *texts), encodeThreads_),
                           path);
            reportResult(report, image, path, {});
        } catch (...) {
            reportResult(report, image, {}, userDescription(std::current_exception()));
        }
    }
}

void ComposeBatch::reportResult(const ComposeReport& report, const std::string& image,
                                const fs::path& written, const std::string& failure) {
    const std::lock_guard guard(lock_);
    ++done_;
    if (failure.empty()) {
        if (report.written) {
            report.written(written);
        }
    } else {
        ++failures_;
        if (report.failed) {
            report.failed(image, failure);
        }
    }
    if (report.progress) {
        report.progress(done_, imageCount());
    }
}

} // namespace cadrelle
