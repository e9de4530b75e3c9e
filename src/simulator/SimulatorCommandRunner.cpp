#include "SimulatorCommandRunner.h"

#include "core/AppError.h"
#include "core/FirstCharacters.h"

#include <QDir>
#include <QProcess>
#include <QStringDecoder>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace cadrelle {

namespace {

const std::string kInstallXcode =
    "Install Xcode and an iOS simulator to use the simulator time override.";
const std::string kTimedOut =
    "Simulator time update timed out. Open Xcode or Glimmerbox and try again.";
const std::string kCouldNotUpdate = "Couldn't update simulator time. ";
const std::string kTryAgain = "Open Xcode or Glimmerbox and try again.";
constexpr qsizetype kErrorTextLimit = 600;

QString toQString(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Strict UTF-8 decoding: nothing when the bytes are not valid UTF-8.
std::optional<QString> decodeUtf8(const Bytes& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text =
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

// The ".app" entries of a folder, sorted by path; nothing when it cannot be listed.
std::vector<std::filesystem::path> applicationBundles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> bundles;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return {};
    }
    for (auto it = entries; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) {
            return {};
        }
        if (it->path().extension() == ".app") {
            bundles.push_back(it->path());
        }
    }
    std::sort(bundles.begin(), bundles.end(),
              [](const auto& a, const auto& b) { return a.native() < b.native(); });
    return bundles;
}

// Creates an empty file that must not exist yet.
void createEmptyFile(const std::filesystem::path& path) {
    writeExclusive(std::string(), path);
}

} // namespace

std::filesystem::path SimulatorCommandSettings::defaultHomeFolder() {
    return QDir::homePath().toStdString();
}

SimulatorCommandRunner::SimulatorCommandRunner(SimulatorCommandSettings settings)
    : settings_(std::move(settings)) {}

Bytes SimulatorCommandRunner::run(const std::vector<std::string>& arguments) {
    if (!developerDirectory_) {
        developerDirectory_ = findDeveloperDirectory();
    }
    std::vector<std::string> all{"simctl"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return execute(settings_.xcrun, all,
                   Environment{{"DEVELOPER_DIR", developerDirectory_->string()}});
}

std::filesystem::path SimulatorCommandRunner::findDeveloperDirectory() {
    for (const auto& candidate : candidateDirectories()) {
        if (isExecutableFile(candidate / "usr/bin/simctl")) {
            return candidate;
        }
    }
    throw AppError(kInstallXcode);
}

std::vector<std::filesystem::path> SimulatorCommandRunner::candidateDirectories() {
    std::vector<std::filesystem::path> candidates;
    if (const char* developerDir = std::getenv("DEVELOPER_DIR")) {
        candidates.emplace_back(developerDir);
        candidates.push_back(candidates.back() / "Contents/Developer");
    }
    if (auto selected = selectedDeveloperDirectory()) {
        candidates.push_back(*selected);
    }
    candidates.push_back(settings_.applicationsFolder / "Xcode.app/Contents/Developer");
    for (const auto& folder :
         {settings_.applicationsFolder, settings_.homeFolder / "Applications"}) {
        for (const auto& bundle : applicationBundles(folder)) {
            candidates.push_back(bundle / "Contents/Developer");
        }
    }
    return candidates;
}

// The folder `xcode-select -p` names; nothing on any failure or empty output.
std::optional<std::filesystem::path> SimulatorCommandRunner::selectedDeveloperDirectory() {
    try {
        const auto text = decodeUtf8(execute(settings_.xcodeSelect, {"-p"}, std::nullopt));
        if (!text || text->trimmed().isEmpty()) {
            return std::nullopt;
        }
        return std::filesystem::path(text->trimmed().toStdString());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

Bytes SimulatorCommandRunner::execute(const std::filesystem::path& executable,
                                      const std::vector<std::string>& arguments,
                                      const std::optional<Environment>& environment) {
    const auto folder = settings_.temporaryFolder / ("lumivane-simctl-" + newUuidString());
    createDirectories(folder);
    const ScopedRemoval removal(folder);
    const auto outputPath = folder / "stdout";
    const auto errorPath = folder / "stderr";
    createEmptyFile(outputPath);
    createEmptyFile(errorPath);

    QProcess process;
    process.setProgram(toQString(executable));
    QStringList processArguments;
    for (const auto& argument : arguments) {
        processArguments.append(QString::fromStdString(argument));
    }
    process.setArguments(processArguments);
    if (environment) {
        auto processEnvironment = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, value] : *environment) {
            processEnvironment.insert(QString::fromStdString(name), QString::fromStdString(value));
        }
        process.setProcessEnvironment(processEnvironment);
    }
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(toQString(outputPath), QIODevice::Truncate);
    process.setStandardErrorFile(toQString(errorPath), QIODevice::Truncate);
    process.start();
    if (!process.waitForStarted(-1)) {
        throw std::runtime_error(executable.string() + ": " + process.errorString().toStdString());
    }

    // waitForFinished also answers false for a child that has already ended.
    if (!process.waitForFinished(static_cast<int>(settings_.timeLimit.count())) &&
        process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(static_cast<int>(settings_.terminateWait.count()))) {
            process.kill();
            process.waitForFinished(static_cast<int>(settings_.killWait.count()));
        }
        throw AppError(kTimedOut);
    }

    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
        return readFile(outputPath, kMaxCommandOutputBytes);
    }
    const auto errorText =
        decodeUtf8(readFile(errorPath, kMaxCommandOutputBytes)).value_or(QString()).trimmed();
    if (errorText.isEmpty()) {
        throw AppError(kCouldNotUpdate + kTryAgain);
    }
    throw AppError(kCouldNotUpdate + firstCharacters(errorText, kErrorTextLimit).toStdString());
}

} // namespace cadrelle
