#pragma once

#include <QObject>

#include <utility>

namespace cadrelle {

// Runs `work` later on the thread that `receiver` lives on (usually the main
// thread), through that thread's event loop. When `receiver` is destroyed
// before the closure has run, the closure is dropped with it, so the closure
// may use `receiver` freely. The caller must know that `receiver` is alive at
// the moment of the call; closures should capture values, not references to
// the caller's locals.
template <typename Work> void postToThreadOf(QObject* receiver, Work&& work) {
    QMetaObject::invokeMethod(receiver, std::forward<Work>(work), Qt::QueuedConnection);
}

} // namespace cadrelle
