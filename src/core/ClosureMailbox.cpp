#include "ClosureMailbox.h"

#include <QCoreApplication>

namespace cadrelle {

void ClosureMailbox::post(Work work) {
    {
        std::lock_guard guard(lock_);
        queued_.push_back(std::move(work));
    }
    QMetaObject::invokeMethod(this, "runNext", Qt::QueuedConnection);
}

void ClosureMailbox::runNext() {
    Work next;
    {
        std::lock_guard guard(lock_);
        if (queued_.empty()) {
            return;
        }
        next = std::move(queued_.front());
        queued_.pop_front();
    }
    next();
}

void postToMainThread(ClosureMailbox::Work work) {
    // Made on the first call and moved to the main thread; kept for the whole
    // run, like the application object it serves.
    static ClosureMailbox* const mainThread = [] {
        auto* mailbox = new ClosureMailbox;
        mailbox->moveToThread(QCoreApplication::instance()->thread());
        return mailbox;
    }();
    mainThread->post(std::move(work));
}

} // namespace cadrelle
