#include "FakeSimulatorTools.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <sstream>

namespace cadrelle::test {

namespace {

// Appends one line to the call log: the program's name and each argument in brackets.
const char* const kRecordCall =
    "{ printf '%s' \"$(basename \"$0\")\"; for a in \"$@\"; do printf ' [%s]' \"$a\"; done; "
    "echo; } >> \"$F/log\"\n";

std::string fakeFolderLine(const std::filesystem::path& root) {
    return "F='" + (root / "fake").string() + "'\n";
}

} // namespace

void writeScript(const std::filesystem::path& path, const std::string& body) {
    std::filesystem::create_directories(path.parent_path());
    writeText(path, "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::group_exec);
}

FakeSimulatorTools::FakeSimulatorTools() {
    ::unsetenv("DEVELOPER_DIR");
    std::filesystem::create_directories(root() / "fake");
    std::filesystem::create_directories(root() / "tmp");
    std::filesystem::create_directories(root() / "Applications");
    std::filesystem::create_directories(root() / "home");
    std::filesystem::create_directories(root() / "data");
    writeScript(root() / "bin/xcrun", fakeFolderLine(root()) +
                                          "tool=\"$1\"\nshift\n"
                                          "exec \"$DEVELOPER_DIR/usr/bin/$tool\" \"$@\"\n");
    writeScript(root() / "bin/xcode-select",
                fakeFolderLine(root()) + "echo \"$@\" >> \"$F/xcode-select.log\"\n" +
                    "if [ -f \"$F/selected\" ]; then cat \"$F/selected\"; exit 0; fi\n"
                    "echo 'xcode-select: error: unable to get active developer directory' >&2\n"
                    "exit 2\n");
    installSimctl(root() / "Applications/Xcode.app");
    setListingText("{\"devices\":{}}");
}

SimulatorCommandSettings FakeSimulatorTools::settings() const {
    SimulatorCommandSettings settings;
    settings.xcrun = root() / "bin/xcrun";
    settings.xcodeSelect = root() / "bin/xcode-select";
    settings.applicationsFolder = root() / "Applications";
    settings.homeFolder = root() / "home";
    settings.temporaryFolder = root() / "tmp";
    return settings;
}

SimulatorRun FakeSimulatorTools::runner(const SimulatorCommandSettings& settings) const {
    auto runner = std::make_shared<SimulatorCommandRunner>(settings);
    return [runner](const std::vector<std::string>& arguments) { return runner->run(arguments); };
}

std::filesystem::path FakeSimulatorTools::installSimctl(const std::filesystem::path& bundle) const {
    const auto path = bundle / "Contents/Developer/usr/bin/simctl";
    writeScript(path, fakeFolderLine(root()) + kRecordCall +
                          "printf '%s' \"$DEVELOPER_DIR\" > \"$F/developer-dir\"\n"
                          "case \"$1\" in\n"
                          "list)\n"
                          "  cat \"$F/listing\"\n"
                          "  exit $? ;;\n"
                          "status_bar)\n"
                          "  if [ -f \"$F/failing\" ] && grep -Fxq -- \"$2\" \"$F/failing\"; then\n"
                          "    cat \"$F/failure-message\" >&2\n"
                          "    exit 1\n"
                          "  fi\n"
                          "  exit 0 ;;\n"
                          "esac\n"
                          "echo \"simctl: unknown subcommand $1\" >&2\n"
                          "exit 64\n");
    return path;
}

void FakeSimulatorTools::selectDeveloperDirectory(
    const std::optional<std::filesystem::path>& path) const {
    if (path) {
        writeText(root() / "fake/selected", path->string() + "\n");
    } else {
        std::filesystem::remove(root() / "fake/selected");
    }
}

void FakeSimulatorTools::setDevices(const std::vector<FakeDevice>& devices) const {
    auto runtimes = nlohmann::json::object();
    for (const auto& device : devices) {
        nlohmann::json entry = {{"udid", device.udid},
                                {"name", device.name},
                                {"state", device.state},
                                {"deviceTypeIdentifier", "com.apple.fake"},
                                {"dataPath", "/nowhere"}};
        if (device.isAvailable) {
            entry["isAvailable"] = *device.isAvailable;
        }
        runtimes[device.runtime].push_back(entry);
    }
    setListingText(nlohmann::json{{"devices", runtimes}}.dump(2));
}

void FakeSimulatorTools::setListingText(const std::string& text) const {
    // Replaced in one step: a controller's pass may be reading it right now.
    writeText(root() / "fake/listing.new", text);
    std::filesystem::rename(root() / "fake/listing.new", root() / "fake/listing");
}

void FakeSimulatorTools::setFailing(const std::vector<std::string>& udids,
                                    const std::string& message) const {
    std::string lines;
    for (const auto& udid : udids) {
        lines += udid + "\n";
    }
    writeText(root() / "fake/failing", lines);
    writeText(root() / "fake/failure-message", message);
}

std::vector<std::string> FakeSimulatorTools::calls() const {
    std::vector<std::string> lines;
    std::istringstream stream(readText(root() / "fake/log"));
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

void FakeSimulatorTools::clearLog() const {
    std::filesystem::remove(root() / "fake/log");
}

} // namespace cadrelle::test
