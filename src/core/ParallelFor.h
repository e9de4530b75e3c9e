#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace cadrelle {

// The number of threads this process can run at once (at least 1).
std::size_t availableThreads();

// Calls body(i) for every i in [0, count) on up to `threads` threads: the
// calling thread and threads − 1 SerialQueues made for the call, named
// `label`. Each call takes the next index not yet taken, so which thread runs
// which index varies; a body whose result depends only on its index gives the
// same results with any number of threads. Without a QCoreApplication (whose
// event loop the queues need) everything runs on the calling thread.
// Returns when every call has finished. Once a call throws no further index
// is started, and the exception of the lowest index that threw is rethrown.
void parallelFor(const std::string& label, std::size_t count, std::size_t threads,
                 const std::function<void(std::size_t)>& body);

} // namespace cadrelle
