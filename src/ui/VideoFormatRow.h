#pragma once

#include "video/VideoExportFormat.h"

#include <QAbstractButton>

namespace cadrelle {

// One choice of the video format dialog: a radio mark, the format's title and
// a line about it, in a rounded box. Checking it selects the format. It is not
// a push button, so Return never presses it: Return stays with the dialog's
// default button even while a row has the keyboard focus.
class VideoFormatRow final : public QAbstractButton {
    Q_OBJECT

public:
    VideoFormatRow(VideoExportFormat format, const QString& description, QWidget* parent = nullptr);

    VideoExportFormat format() const { return format_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void describeState();

    const VideoExportFormat format_;
};

} // namespace cadrelle
