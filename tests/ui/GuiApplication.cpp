// The widget tests need a QApplication. It is made before the first test, so
// that no fixture makes a plain QCoreApplication in its place, and kept for
// the whole run. Its one offscreen screen is 1440 × 900, the size of the
// screen the windows are designed for.
#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

class GuiApplication final : public ::testing::Environment {
public:
    void SetUp() override {
        const auto screens = std::filesystem::temp_directory_path() /
                             ("cadrelle-ui-screens-" + std::to_string(::getpid()) + ".json");
        std::ofstream(screens) << R"({"screens":[{"name":"Main","x":0,"y":0,)"
                               << R"("width":1440,"height":900,"logicalDpi":96}]})";
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QByteArray(screens.c_str()));
        static int argc = 1;
        static char name[] = "cadrelle-ui-tests";
        static char* argv[] = {name, nullptr};
        static QApplication* application = new QApplication(argc, argv);
        (void)application;
        std::filesystem::remove(screens);
    }
};

const ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new GuiApplication);

} // namespace
