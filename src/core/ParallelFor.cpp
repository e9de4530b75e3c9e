#include "ParallelFor.h"

#include "SerialQueue.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <vector>

namespace cadrelle {

std::size_t availableThreads() {
    return static_cast<std::size_t>(std::max(1, QThread::idealThreadCount()));
}

void parallelFor(const std::string& label, std::size_t count, std::size_t threads,
                 const std::function<void(std::size_t)>& body) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::vector<std::exception_ptr> errors(count);
    const auto drain = [&] {
        for (std::size_t i = next++; i < count && !failed.load(); i = next++) {
            try {
                body(i);
            } catch (...) {
                errors[i] = std::current_exception();
                failed = true;
            }
        }
    };
    {
        std::size_t helpers = std::min(threads, count);
        helpers = helpers > 0 && QCoreApplication::instance() != nullptr ? helpers - 1 : 0;
        // Declared after everything `drain` uses: leaving this block stops
        // every queue, which waits for its closure, even when making a later
        // queue throws.
        std::vector<std::unique_ptr<SerialQueue>> queues;
        for (std::size_t i = 0; i < helpers; ++i) {
            queues.push_back(std::make_unique<SerialQueue>(label));
            queues.back()->async(drain);
        }
        drain();
    }
    for (const auto& error : errors) {
        if (error) {
            std::rethrow_exception(error);
        }
    }
}

} // namespace cadrelle
