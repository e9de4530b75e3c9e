#pragma once

#include <chrono>
#include <functional>

namespace cadrelle::test {

// Looks at `done` until it holds or `limit` passes; true when it held. On the
// main thread of a Qt application the event loop runs meanwhile, so that
// closures posted to that thread arrive.
bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

} // namespace cadrelle::test
