#include "StampedImage.h"

#include "ui/PictureLoader.h"

#include <QPointer>

namespace cadrelle {

StampedImage::StampedImage(std::shared_ptr<PictureLoader> loader, QObject* parent)
    : QObject(parent), loader_(std::move(loader)) {}

bool StampedImage::requested(const std::filesystem::path& file, QSize bounds) const {
    const auto same = [&](const auto& asked) {
        return asked && asked->file == file && asked->bounds == bounds;
    };
    return same(shown_) || same(running_) || same(next_);
}

void StampedImage::reload(const std::filesystem::path& file, QSize bounds, qreal devicePixelRatio) {
    const Wanted wanted{file, bounds, devicePixelRatio};
    if (running_) {
        next_ = wanted;
        return;
    }
    start(wanted);
}

void StampedImage::start(const Wanted& wanted) {
    running_ = wanted;
    PictureRequest request{wanted.file, wanted.bounds, wanted.devicePixelRatio, std::nullopt};
    if (shown_ && shown_->file == wanted.file && shown_->bounds == wanted.bounds) {
        request.shownStamp = shown_->stamp;
    }
    const QPointer<StampedImage> self(this);
    loader_->load(std::move(request), [self, wanted](LoadedPicture loaded) {
        if (!self) {
            return;
        }
        self->running_.reset();
        if (!loaded.unchanged) {
            self->shown_ = Shown{wanted.file, wanted.bounds, loaded.stamp};
            self->picture_ = QPixmap::fromImage(std::move(loaded.image));
            emit self->pictureChanged();
        }
        if (self->next_) {
            const Wanted next = *self->next_;
            self->next_.reset();
            self->start(next);
        }
    });
}

} // namespace cadrelle
