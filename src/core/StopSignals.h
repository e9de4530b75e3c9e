#pragma once

#include "core/FileDescriptor.h"

#include <QtGlobal>

#include <csignal>
#include <exception>
#include <functional>
#include <memory>
#include <string>

QT_BEGIN_NAMESPACE
class QSocketNotifier;
QT_END_NAMESPACE

namespace cadrelle {

// While it lives, SIGINT and SIGTERM no longer end the process: each one runs
// `onStop` on the main thread's event loop. The handler only writes the
// signal's number into a pipe, which a socket notifier reads on the main
// thread. One object at a time; the previous handlers come back with its end.
class StopSignals {
public:
    // Quits the main event loop on a stop signal.
    StopSignals();
    explicit StopSignals(std::function<void()> onStop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The first stop signal that arrived, or 0.
    int received() const { return received_; }

    // Runs `work` on a queue named `label` and waits for it, keeping the main
    // thread's event loop running meanwhile so that a stop signal is seen (and
    // `onStop` can cancel the work). Rethrows what `work` throws, except that
    // a failure after a stop signal becomes StoppedBySignal.
    void run(const std::string& label, const std::function<void()>& work);

private:
    void readSignals();

    static void handle(int signal);
    static inline volatile std::sig_atomic_t signalPipe_ = -1;

    std::function<void()> onStop_;
    FileDescriptor readEnd_;
    FileDescriptor writeEnd_;
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
    std::unique_ptr<QSocketNotifier> notifier_;
    int received_ = 0;
};

// Ends a command that a stop signal interrupted: the process exits with
// status 128 + the signal's number, as a shell reports it, printing nothing.
class StoppedBySignal : public std::exception {
public:
    explicit StoppedBySignal(int signal) : signal_(signal) {}
    int exitStatus() const { return 128 + signal_; }
    const char* what() const noexcept override { return "Stopped by a signal."; }

private:
    int signal_;
};

} // namespace cadrelle
