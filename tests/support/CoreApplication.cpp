#include "CoreApplication.h"

#include <QCoreApplication>

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

} // namespace cadrelle::test
