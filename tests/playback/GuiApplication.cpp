// The player converts pictures to QImages and runs timers, which need a
// QGuiApplication. It is made before the first test, on the off-screen
// platform, and kept for the whole run.
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

class GuiApplication final : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "cadrelle-playback-tests";
        static char* argv[] = {name, nullptr};
        static QGuiApplication* application = new QGuiApplication(argc, argv);
        (void)application;
    }
};

const ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new GuiApplication);

} // namespace
