#include "SimulatorTimeController.h"

namespace cadrelle {

// Everything the queue touches; used only on the queue.
struct SimulatorTimeController::State {
    State(std::filesystem::path stateFile, SimulatorRun run, StatusHandler handler,
          SimulatorTimeTiming delays)
        : session(std::move(stateFile), std::move(run)), onStatus(std::move(handler)),
          timing(delays) {}

    SimulatorTimeSession session;
    StatusHandler onStatus;
    SimulatorTimeTiming timing;
    std::optional<SerialQueue::TimerId> timer;
    bool stopped = false;

    void report() {
        const auto status = session.refresh();
        if (onStatus) {
            onStatus(status);
        }
    }
};

SimulatorTimeController::SimulatorTimeController(std::filesystem::path stateFile, SimulatorRun run,
                                                 StatusHandler onStatus, SimulatorTimeTiming timing)
    : state_(std::make_shared<State>(std::move(stateFile), std::move(run), std::move(onStatus),
                                     timing)),
      queue_(std::make_unique<SerialQueue>("lumivane.simulator-time")) {}

SimulatorTimeController::~SimulatorTimeController() {
    queue_->stop(SerialQueue::StopMode::cancel);
}

void SimulatorTimeController::configure(std::optional<int> minutes) {
    SerialQueue* queue = queue_.get();
    queue_->async([state = state_, queue, minutes] {
        if (state->stopped) {
            return;
        }
        state->session.minutes = minutes;
        if (!state->timer) {
            // The timer keeps running while the override is off, so that
            // simulators that boot later are restored too.
            std::weak_ptr<State> weak = state;
            state->timer = queue->every(
                state->timing.interval, state->timing.leeway,
                [weak] {
                    const auto alive = weak.lock();
                    if (alive && !alive->stopped) {
                        alive->report();
                    }
                },
                state->timing.interval);
        }
        state->report();
    });
}

void SimulatorTimeController::stop() {
    if (stopCalled_.exchange(true)) {
        return;
    }
    SerialQueue* queue = queue_.get();
    queue_->sync([state = state_, queue] {
        if (state->stopped) {
            return;
        }
        state->stopped = true;
        if (state->timer) {
            queue->cancelTimer(*state->timer);
            state->timer.reset();
        }
        state->session.minutes.reset();
        state->session.refresh();
    });
    queue_->stop(SerialQueue::StopMode::cancel);
}

} // namespace cadrelle
