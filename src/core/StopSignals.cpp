#include "StopSignals.h"

#include "core/AppError.h"
#include "core/ClosureMailbox.h"
#include "core/SerialQueue.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace cadrelle {

StopSignals::StopSignals() : StopSignals([] { QCoreApplication::quit(); }) {}

StopSignals::StopSignals(std::function<void()> onStop) : onStop_(std::move(onStop)) {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw AppError("Couldn't prepare for stop signals.");
    }
    readEnd_ = FileDescriptor(ends[0]);
    writeEnd_ = FileDescriptor(ends[1]);
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_.get(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { readSignals(); });
    signalPipe_ = writeEnd_.get();
    struct sigaction action {};
    action.sa_handler = &StopSignals::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &previousInt_);
    ::sigaction(SIGTERM, &action, &previousTerm_);
}

StopSignals::~StopSignals() {
    ::sigaction(SIGINT, &previousInt_, nullptr);
    ::sigaction(SIGTERM, &previousTerm_, nullptr);
    signalPipe_ = -1;
    notifier_.reset();
}

void StopSignals::handle(int signal) {
    const int descriptor = signalPipe_;
    if (descriptor >= 0) {
        const auto byte = static_cast<unsigned char>(signal);
        const ssize_t ignored = ::write(descriptor, &byte, 1);
        (void)ignored;
    }
}

void StopSignals::readSignals() {
    unsigned char numbers[16];
    ssize_t count = 0;
    while ((count = ::read(readEnd_.get(), numbers, sizeof numbers)) > 0) {
        if (received_ == 0) {
            received_ = numbers[0];
        }
    }
    onStop_();
}

void StopSignals::run(const std::string& label, const std::function<void()>& work) {
    QEventLoop waiting;
    // The end of the work reaches the main thread through the mailbox's lock,
    // which also hands `failure` over.
    ClosureMailbox finished;
    std::exception_ptr failure;
    {
        SerialQueue queue(label);
        queue.async([&work, &failure, &finished, receiver = &waiting] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            finished.post([receiver] { receiver->quit(); });
        });
        waiting.exec();
    }
    if (failure && received_ != 0) {
        throw StoppedBySignal(received_);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace cadrelle
