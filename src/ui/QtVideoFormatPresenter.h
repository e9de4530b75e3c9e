#pragma once

#include "model/VideoFormatPrompter.h"

#include <QPointer>

namespace cadrelle {

class VideoFormatDialog;

// Asks the format question with a VideoFormatDialog, centred on the screen
// and in front. Shows one dialog at a time; the prompter queues the rest.
class QtVideoFormatPresenter final : public VideoFormatPresenter {
public:
    QtVideoFormatPresenter() = default;
    // Closes a dialog still on screen without answering it.
    ~QtVideoFormatPresenter() override;
    QtVideoFormatPresenter(const QtVideoFormatPresenter&) = delete;
    QtVideoFormatPresenter& operator=(const QtVideoFormatPresenter&) = delete;

    void present(const std::vector<std::string>& fileNames, Answer answer) override;
    void dismiss() override;

    // The dialog on screen, if any.
    VideoFormatDialog* dialog() const;

private:
    QPointer<VideoFormatDialog> dialog_;
};

} // namespace cadrelle
