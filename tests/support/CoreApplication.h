#pragma once

namespace cadrelle::test {

// Makes sure a QCoreApplication exists, as it does in the program: Qt event
// loops on worker threads (SerialQueue) need one. Created once per test
// process and kept until the process ends.
void ensureCoreApplication();

} // namespace cadrelle::test
