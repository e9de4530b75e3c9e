#include "PictureLoader.h"

#include "core/ClosureMailbox.h"
#include "core/FileIO.h"
#include "core/ParallelFor.h"
#include "core/SerialQueue.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>

namespace cadrelle {

namespace {

// Two workers: pictures keep coming while one large file decodes, and the
// main thread keeps a core of its own on small machines.
constexpr std::size_t kMaxWorkers = 2;

QSize fittedSize(QSize size, QSize bounds) {
    if (size.width() <= bounds.width() && size.height() <= bounds.height()) {
        return size;
    }
    return size.scaled(bounds, Qt::KeepAspectRatio).expandedTo({1, 1});
}

} // namespace

PictureLoader::PictureLoader() {
    const std::size_t count = std::clamp<std::size_t>(availableThreads(), 1, kMaxWorkers);
    for (std::size_t i = 0; i < count; ++i) {
        workers_.push_back(std::make_unique<SerialQueue>("lumivane.pictures"));
    }
}

PictureLoader::~PictureLoader() {
    for (const auto& worker : workers_) {
        worker->stop(SerialQueue::StopMode::cancel);
    }
}

std::shared_ptr<PictureLoader> PictureLoader::shared() {
    // Used on the main thread only.
    static std::weak_ptr<PictureLoader> current;
    auto loader = current.lock();
    if (!loader) {
        loader = std::make_shared<PictureLoader>();
        current = loader;
    }
    return loader;
}

void PictureLoader::load(PictureRequest request, std::function<void(LoadedPicture)> done) {
    SerialQueue& worker = *workers_[next_++ % workers_.size()];
    worker.async([request = std::move(request), done = std::move(done)]() mutable {
        auto picture = std::make_shared<LoadedPicture>(decode(request));
        postToMainThread([picture, done = std::move(done)] { done(std::move(*picture)); });
    });
}

LoadedPicture PictureLoader::decode(const PictureRequest& request) {
    LoadedPicture result;
    result.stamp = FileStamp::of(request.file);
    if (request.shownStamp && *request.shownStamp == result.stamp) {
        result.unchanged = true;
        return result;
    }
    try {
        const FileDescriptor descriptor = openRegularFile(request.file);
        QFile file;
        if (!file.open(descriptor.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
            return result;
        }
        QImageReader reader(&file);
        const QSize size = reader.size();
        if (!size.isValid() || request.bounds.isEmpty()) {
            return result;
        }
        reader.setScaledSize(fittedSize(size, request.bounds));
        result.image = reader.read();
        result.image.setDevicePixelRatio(request.devicePixelRatio);
    } catch (const std::exception&) {
        // Not a regular file, or gone: the view shows no picture.
    }
    return result;
}

} // namespace cadrelle
