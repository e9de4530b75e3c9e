#include "TestApplication.h"

#include "core/FileIO.h"
#include "model/SetupFolders.h"

#include <QApplication>

#include <cstdlib>

namespace cadrelle::test {

const std::filesystem::path& testHome() {
    static const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("cadrelle-app-test-" + newUuidString());
    return home;
}

void ensureApplication() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    const std::filesystem::path& home = testHome();
    const std::filesystem::path runtime = home / "run";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / ".local" / "share").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (home / ".local" / "state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    static int argc = 1;
    static char name[] = "cadrelle-app-tests";
    static char* argv[] = {name, nullptr};
    // Kept for the whole run; the home folder goes with the process.
    static QApplication* application = new QApplication(argc, argv);
    application->setQuitOnLastWindowClosed(false);
    std::atexit([] { removeQuietly(testHome()); });
}

Preferences completedSetup(const std::filesystem::path& input,
                           const std::filesystem::path& output) {
    Preferences preferences;
    preferences.inputPath = input.string();
    preferences.outputPath = output.string();
    preferences.inputBookmark = folderBookmark(input);
    preferences.outputBookmark = folderBookmark(output);
    preferences.completedSetup = true;
    return preferences;
}

} // namespace cadrelle::test
