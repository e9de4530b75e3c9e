// Captions are set with Qt's text layout, which needs a QGuiApplication. It
// is made before the first test, on the off-screen platform, and kept for the
// whole run.
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

class GuiApplication final : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "cadrelle-compose-tests";
        static char* argv[] = {name, nullptr};
        static QGuiApplication* application = new QGuiApplication(argc, argv);
        (void)application;
    }
};

const ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new GuiApplication);

} // namespace
