#pragma once

#include "core/FileStamp.h"

#include <QImage>
#include <QSize>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace cadrelle {

class SerialQueue;

// A picture a view wants: the file, and the largest size it shows it at, in
// device pixels.
struct PictureRequest {
    std::filesystem::path file;
    QSize bounds;
    qreal devicePixelRatio = 1;
    // Set: the stamp of the picture the view already has (none: the file
    // had no stamp then); while the file keeps it, nothing is decoded.
    std::optional<std::optional<FileStamp>> shownStamp;
};

struct LoadedPicture {
    std::optional<FileStamp> stamp; // of the file when it was read
    bool unchanged = false;         // the file kept the shown stamp; `image` is null
    // Scaled down to fit the bounds (never up), carrying the device pixel
    // ratio; null when the file is not a readable image.
    QImage image;
};

// Decodes the pictures views show, off the main thread: a file is opened
// only when it is a regular file (a pipe or device never makes a reader
// wait), and is decoded straight to the size it is shown at, so a view keeps
// no more pixels than it draws. The loader lives while a view holds it.
class PictureLoader final {
public:
    PictureLoader();
    ~PictureLoader();
    PictureLoader(const PictureLoader&) = delete;
    PictureLoader& operator=(const PictureLoader&) = delete;

    // The loader the views of this process share.
    static std::shared_ptr<PictureLoader> shared();

    // Decodes on a worker thread; `done` runs later on the main thread. The
    // caller's closure checks that its view still exists.
    void load(PictureRequest request, std::function<void(LoadedPicture)> done);

    // The decoding itself, on the calling thread.
    static LoadedPicture decode(const PictureRequest& request);

private:
    std::vector<std::unique_ptr<SerialQueue>> workers_;
    std::size_t next_ = 0;
};

} // namespace cadrelle
