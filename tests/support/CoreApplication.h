#pragma once

#include <chrono>
#include <functional>

namespace cadrelle::test {

// Makes sure a QCoreApplication exists, as it does in the program: Qt event
// loops on worker threads (SerialQueue) need one. Created once per test
// process and kept until the process ends.
void ensureCoreApplication();

// Runs the main thread's event loop until `done` holds or `limit` passes.
bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

} // namespace cadrelle::test
