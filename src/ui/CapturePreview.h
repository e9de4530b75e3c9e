#pragma once

#include "playback/MediaPlayer.h"

#include <QWidget>

#include <cstdint>
#include <memory>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace cadrelle {

class AppModel;
class FittedImage;
class PictureLoader;
class RecordingPreview;

// The model's selected capture: the framed screenshot scaled to fit or the
// framed recording with its player, the frame it was put in, and buttons
// that copy it and show it in the file manager. Nothing while there is no
// capture. A recording offers "Copy Video", and "Play" where `offersPlay`.
// Each recording file gets a player of its own from `makePlayer` (by
// default the FFmpeg player); the previous one is paused and dropped. A
// screenshot is decoded off the main thread, no larger than the screen.
class CapturePreview final : public QWidget {
    Q_OBJECT

public:
    explicit CapturePreview(AppModel& model, bool offersPlay = false,
                            MediaPlayerFactory makePlayer = {}, QWidget* parent = nullptr);

signals:
    // A screenshot's picture was read and is shown (none when unreadable).
    void pictureLoaded();

private:
    void refresh();
    void showPicture(const std::string& file);
    void showRecording(const QString& path);

    AppModel& model_;
    const bool offersPlay_;
    const MediaPlayerFactory makePlayer_;
    QVBoxLayout* media_;
    FittedImage* image_;
    RecordingPreview* recording_ = nullptr;
    QLabel* caption_;
    QPushButton* play_;
    QPushButton* copy_;
    QPushButton* reveal_;
    std::shared_ptr<PictureLoader> pictures_;
    // Counts the pictures asked for: only the newest one's answer is shown.
    std::uint64_t pictureRequest_ = 0;
};

} // namespace cadrelle
