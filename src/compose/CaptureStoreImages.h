#pragma once

#include <QImage>

#include <filesystem>
#include <string>
#include <vector>

namespace cadrelle {

// The store images of one framed screenshot, for the application: composed
// with the texts of the composition's first locale for the screen whose
// pattern matches the capture's name (the first screen when none does).
class CaptureStoreImages {
public:
    // Reads the composition; throws its sentences.
    explicit CaptureStoreImages(const std::filesystem::path& composition);

    // The image of the composition's first size, scaled to `height` pixels
    // high (the texts and the device keep their proportions).
    QImage preview(const std::filesystem::path& framed, const std::string& captureName,
                   int height) const;

    // Writes one image per size into `folder` as "<stem>-<size>-<8 hex>.png",
    // the hex digits from the image's bytes, so saving the same image again
    // finds it in place and a changed composition makes new files. Returns
    // the paths.
    std::vector<std::filesystem::path> save(const std::filesystem::path& framed,
                                            const std::string& captureName,
                                            const std::filesystem::path& folder) const;

private:
    std::filesystem::path composition_;
};

} // namespace cadrelle
