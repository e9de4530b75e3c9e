// Tests of code that lays out text, converts pictures to QImages or runs
// timers without widgets need a QGuiApplication. Linked into such a test
// program, this makes one before the first test, on the off-screen platform,
// and keeps it for the whole run.
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

class GuiApplication final : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "cadrelle-gui-tests";
        static char* argv[] = {name, nullptr};
        static QGuiApplication* application = new QGuiApplication(argc, argv);
        (void)application;
    }
};

const ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new GuiApplication);

} // namespace
