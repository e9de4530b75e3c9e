#include "UserInstallation.h"

#include "core/AppError.h"
#include "core/FileDescriptor.h"
#include "core/FileError.h"
#include "core/FileIO.h"
#include "updates/ArchiveExtraction.h"
#include "updates/Version.h"

#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;

// Names of the work files in the versions folder; they never look like a
// version, and a later activation removes any that a crash left behind.
constexpr char kStagingPattern[] = ".staging-XXXXXX";
constexpr char kStagingPrefix[] = ".staging-";
constexpr char kLinkPrefix[] = ".current-";
// VERSION and the marker hold one version name and a line end.
constexpr std::uint64_t kVersionFileLimit = 256;

fs::path programIn(const fs::path& versionFolder) {
    return versionFolder / "bin" / "cadrelle";
}

bool isExecutableFile(const fs::path& file) {
    struct stat info {};
    return ::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           (info.st_mode & S_IXUSR) != 0;
}

// The first line of the small regular file at `path` (not a link), or none
// when there is no such file.
std::optional<std::string> versionLine(const fs::path& path) {
    std::error_code error;
    if (fs::symlink_status(path, error).type() != fs::file_type::regular) {
        return std::nullopt;
    }
    const Bytes bytes = readFile(path, kVersionFileLimit);
    std::string text(bytes.begin(), bytes.end());
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

fs::path makeTemporaryFolder(const fs::path& versions) {
    std::string name = (versions / kStagingPattern).string();
    if (::mkdtemp(name.data()) == nullptr) {
        throwFileError(versions);
    }
    return name;
}

// Makes what was written in `folder` durable before a rename publishes it.
void flushFileSystem(const fs::path& folder) {
    const FileDescriptor descriptor = FileDescriptor::open(folder, O_RDONLY | O_DIRECTORY);
    if (::syncfs(descriptor.get()) != 0) {
        throwFileError(folder);
    }
}

void flushFolder(const fs::path& folder) {
    const FileDescriptor descriptor = FileDescriptor::open(folder, O_RDONLY | O_DIRECTORY);
    if (::fsync(descriptor.get()) != 0) {
        throwFileError(folder);
    }
}

// Runs `work`; any failure that isn't already a sentence for the user becomes
// one that starts with `failure`.
template <typename Work> void withUserMessage(const std::string& failure, Work&& work) {
    try {
        work();
    } catch (const AppError&) {
        throw;
    } catch (const std::exception& error) {
        throw AppError(failure + userDescription(error));
    }
}

// Whether `version` comes after `running`; a version that can't be compared
// never does.
bool isNewer(const std::string& version, const std::string& running) {
    const auto candidate = Version::parse(version);
    const auto current = Version::parse(running);
    return candidate && current && *candidate > *current;
}

bool isOlder(const std::string& version, const std::string& running) {
    const auto candidate = Version::parse(version);
    const auto current = Version::parse(running);
    return candidate && current && *candidate < *current;
}

// Checks that the unpacked archive in `staging` is the program of `version`.
void requireArchiveOf(const fs::path& staging, const std::string& version) {
    if (!isExecutableFile(programIn(staging))) {
        throw AppError("The update was refused because its archive doesn't contain the program.");
    }
    const auto contained = versionLine(staging / UserInstallation::kVersionFile);
    if (!contained) {
        throw AppError("The update was refused because its archive doesn't say which version "
                       "it holds.");
    }
    if (*contained != version) {
        const std::string shown = Installation::isVersionName(*contained) ? *contained : "another";
        throw AppError("The update was refused because its archive holds version " + shown +
                       ", not version " + version + " as the update feed says.");
    }
}

// Writes the marker naming `version` into `folder`, replacing whatever the
// archive put under that name.
void writeMarker(const fs::path& folder, const std::string& version) {
    const fs::path marker = folder / UserInstallation::kMarker;
    removeQuietly(marker);
    writeExclusive(version + "\n", marker);
}

} // namespace

UserInstallation::UserInstallation(Installation installation, uid_t user, std::uint64_t sizeLimit)
    : installation_(std::move(installation)), user_(user), sizeLimit_(sizeLimit) {}

bool UserInstallation::canInstall() const {
    if (!installation_.isVersioned() || user_ == 0) {
        return false;
    }
    const fs::path& versions = installation_.versions;
    std::error_code error;
    const fs::path current = versions / "current";
    if (!fs::is_symlink(current, error) ||
        !fs::equivalent(current, versions / installation_.version, error) || error) {
        return false;
    }
    struct stat info {};
    return ::stat(versions.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == user_ &&
           (info.st_mode & S_IWUSR) != 0;
}

void UserInstallation::requireInstallable(const std::string& version) const {
    if (!canInstall()) {
        throw AppError("Cadrelle can't update itself because it isn't installed in a folder "
                       "that belongs to you.");
    }
    if (!Installation::isVersionName(version)) {
        throw AppError("The update was refused because its version number isn't valid.");
    }
}

bool UserInstallation::installedByUs(const fs::path& folder) const {
    std::error_code error;
    if (fs::symlink_status(folder, error).type() != fs::file_type::directory) {
        return false;
    }
    try {
        return versionLine(folder / kMarker) == folder.filename().string();
    } catch (const std::exception&) {
        return false;
    }
}

void UserInstallation::stage(const fs::path& archive, const std::string& version) {
    requireInstallable(version);
    if (!isNewer(version, installation_.version)) {
        throw AppError("The update was refused because version " + version +
                       " isn't newer than version " + installation_.version + ", the one running.");
    }
    const fs::path& versions = installation_.versions;
    const fs::path target = versions / version;
    const bool replacing = itemExists(target);
    if (replacing && !installedByUs(target)) {
        throw AppError("The update couldn't be installed because " + target.string() +
                       " already exists and wasn't installed by Cadrelle.");
    }
    // Removed on every way out: after a failure, and after an exchange, when
    // it holds the earlier copy.
    std::optional<ScopedRemoval> staging;
    withUserMessage("The update couldn't be installed: ", [&] {
        const fs::path& folder = staging.emplace(makeTemporaryFolder(versions)).path();
        extractArchive(archive, folder, sizeLimit_);
        requireArchiveOf(folder, version);
        writeMarker(folder, version);
        flushFileSystem(folder);
        if (replacing) {
            // An earlier copy of this version changes places with the new
            // one in one step.
            if (::renameat2(AT_FDCWD, folder.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) !=
                0) {
                throwFileError(target);
            }
        } else {
            fs::rename(folder, target);
            staging->release();
        }
        flushFolder(versions);
    });
}

void UserInstallation::activate(const std::string& version) {
    requireInstallable(version);
    const fs::path& versions = installation_.versions;
    if (!isExecutableFile(programIn(versions / version)) || !installedByUs(versions / version)) {
        throw AppError("Version " + version + " can't be used because it hasn't been unpacked.");
    }
    const ScopedRemoval link(versions / (kLinkPrefix + std::to_string(::getpid())));
    withUserMessage("Cadrelle couldn't switch to version " + version + ": ", [&] {
        removeQuietly(link.path());
        fs::create_symlink(version, link.path());
        fs::rename(link.path(), versions / "current");
        flushFolder(versions);
    });
    removeOldVersions();
}

void UserInstallation::removeOldVersions() const {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(installation_.versions, error)) {
        const std::string name = entry.path().filename().string();
        const bool leftover = name.starts_with(kStagingPrefix) || name.starts_with(kLinkPrefix);
        const bool oldVersion = Installation::isVersionName(name) &&
                                isOlder(name, installation_.version) && installedByUs(entry.path());
        if (leftover || oldVersion) {
            removeQuietly(entry.path());
        }
    }
}

fs::path UserInstallation::currentExecutable() const {
    if (!installation_.isVersioned()) {
        return installation_.executable;
    }
    std::error_code error;
    const fs::path target = fs::read_symlink(installation_.versions / "current", error);
    if (error || !Installation::isVersionName(target.string())) {
        return installation_.executable;
    }
    return programIn(installation_.versions / target);
}

std::shared_ptr<UpdateInstaller> makeUpdateInstaller(Installation installation) {
    return std::make_shared<UserInstallation>(std::move(installation), ::geteuid());
}

} // namespace cadrelle
