#include "CoreApplication.h"

#include <QCoreApplication>
#include <QThread>

namespace cadrelle::test {

void ensureCoreApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    static int argc = 1;
    static char name[] = "cadrelle-tests";
    static char* argv[] = {name, nullptr};
    // Kept reachable through Qt's own instance pointer for the whole run.
    static QCoreApplication* application = new QCoreApplication(argc, argv);
    (void)application;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

} // namespace cadrelle::test
