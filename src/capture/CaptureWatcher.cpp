#include "CaptureWatcher.h"

#include "CaptureWatcherState.h"

namespace cadrelle {

CaptureWatcher::CaptureWatcher(WatchConfiguration config, OnCapture onCapture, OnError onError,
                               OnProgress onProgress, ChooseVideoFormat chooseVideoFormat,
                               SteadyNow now)
    : state_(std::make_shared<CaptureWatcherState>(std::move(config), std::move(onCapture),
                                                   std::move(onError), std::move(onProgress),
                                                   std::move(chooseVideoFormat), std::move(now))) {
    try {
        state_->setUp();
    } catch (...) {
        state_->stop();
        throw;
    }
}

CaptureWatcher::~CaptureWatcher() {
    stop();
    // No closure runs after this, so the state is released here.
    state_->queue.stop(SerialQueue::StopMode::cancel);
}

void CaptureWatcher::start() {
    state_->start();
}

void CaptureWatcher::stop() {
    state_->stop();
}

void CaptureWatcher::scanNow() {
    state_->queue.sync([state = state_.get()] { state->scan(); });
}

} // namespace cadrelle
