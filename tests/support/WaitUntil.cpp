#include "WaitUntil.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <thread>

namespace cadrelle::test {

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    using namespace std::chrono_literals;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        // What `done` looks at may change without an event (a file, another
        // thread's state), so it is looked at again every few milliseconds.
        const QCoreApplication* application = QCoreApplication::instance();
        if (application != nullptr && application->thread() == QThread::currentThread()) {
            QEventLoop loop;
            QTimer::singleShot(5ms, &loop, &QEventLoop::quit);
            loop.exec();
        } else {
            std::this_thread::sleep_for(5ms);
        }
    }
    return true;
}

} // namespace cadrelle::test
