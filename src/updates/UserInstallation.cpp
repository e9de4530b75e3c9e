#include "UserInstallation.h"

#include "core/AppError.h"
#include "core/FileDescriptor.h"
#include "core/FileError.h"
#include "updates/ArchiveExtraction.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;

// Names of the work files in the versions folder; they never look like a
// version, and a later activation removes any that a crash left behind.
constexpr char kStagingPattern[] = ".staging-XXXXXX";
constexpr char kLinkPrefix[] = ".current-";

fs::path programIn(const fs::path& versionFolder) {
    return versionFolder / "bin" / "cadrelle";
}

bool isExecutableFile(const fs::path& file) {
    struct stat info {};
    return ::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           (info.st_mode & S_IXUSR) != 0;
}

fs::path makeTemporaryFolder(const fs::path& versions) {
    std::string name = (versions / kStagingPattern).string();
    if (::mkdtemp(name.data()) == nullptr) {
        throwFileError(versions);
    }
    return name;
}

void removeQuietly(const fs::path& path) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
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

} // namespace

UserInstallation::UserInstallation(fs::path executable, uid_t user, std::uint64_t sizeLimit)
    : executable_(std::move(executable)), location_(locate(executable_)), user_(user),
      sizeLimit_(sizeLimit) {}

std::optional<UserInstallation::Location> UserInstallation::locate(const fs::path& executable) {
    const fs::path bin = executable.parent_path();
    const fs::path versionFolder = bin.parent_path();
    const fs::path versions = versionFolder.parent_path();
    const std::string version = versionFolder.filename().string();
    if (executable.filename() != "cadrelle" || bin.filename() != "bin" || !isVersionName(version) ||
        versions.filename() != "cadrelle" || versions.parent_path().filename() != "lib") {
        return std::nullopt;
    }
    return Location{versions, version};
}

bool UserInstallation::isVersionName(const std::string& version) {
    const auto allowed = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               c == '.' || c == '_' || c == '+' || c == '-';
    };
    return !version.empty() && version.size() <= 64 && version.front() != '.' &&
           version != "current" && std::all_of(version.begin(), version.end(), allowed);
}

bool UserInstallation::canInstall() const {
    if (!location_ || user_ == 0) {
        return false;
    }
    std::error_code error;
    const fs::path current = location_->versions / "current";
    if (!fs::is_symlink(current, error) ||
        !fs::equivalent(current, location_->versions / location_->version, error) || error) {
        return false;
    }
    struct stat info {};
    return ::stat(location_->versions.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == user_ && (info.st_mode & S_IWUSR) != 0;
}

void UserInstallation::requireInstallable(const std::string& version) const {
    if (!canInstall()) {
        throw AppError("Cadrelle can't update itself because it isn't installed in a folder "
                       "that belongs to you.");
    }
    if (!isVersionName(version)) {
        throw AppError("The update was refused because its version number isn't valid.");
    }
}

void UserInstallation::stage(const fs::path& archive, const std::string& version) {
    requireInstallable(version);
    if (version == location_->version) {
        throw AppError("Version " + version + " is the one running, so it can't be replaced.");
    }
    const fs::path& versions = location_->versions;
    const fs::path target = versions / version;
    fs::path staging;
    try {
        withUserMessage("The update couldn't be installed: ", [&] {
            staging = makeTemporaryFolder(versions);
            extractArchive(archive, staging, sizeLimit_);
            if (!isExecutableFile(programIn(staging))) {
                throw AppError("The update was refused because its archive doesn't contain "
                               "the program.");
            }
            flushFileSystem(staging);
            if (fs::exists(fs::symlink_status(target))) {
                // An earlier copy of this version changes places with the new
                // one in one step and goes away under the staging name.
                if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, target.c_str(),
                                RENAME_EXCHANGE) != 0) {
                    throwFileError(target);
                }
            } else {
                fs::rename(staging, target);
            }
            flushFolder(versions);
        });
    } catch (...) {
        if (!staging.empty()) {
            removeQuietly(staging);
        }
        throw;
    }
    removeQuietly(staging);
}

void UserInstallation::activate(const std::string& version) {
    requireInstallable(version);
    const fs::path& versions = location_->versions;
    if (!isExecutableFile(programIn(versions / version))) {
        throw AppError("Version " + version + " can't be used because it hasn't been unpacked.");
    }
    const fs::path link = versions / (kLinkPrefix + std::to_string(::getpid()));
    try {
        withUserMessage("Cadrelle couldn't switch to version " + version + ": ", [&] {
            removeQuietly(link);
            fs::create_symlink(version, link);
            fs::rename(link, versions / "current");
            flushFolder(versions);
        });
    } catch (...) {
        removeQuietly(link);
        throw;
    }
    removeOldVersions(version);
}

void UserInstallation::removeOldVersions(const std::string& activated) const {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(location_->versions, error)) {
        const std::string name = entry.path().filename().string();
        const bool leftover = name.rfind(".staging-", 0) == 0 || name.rfind(kLinkPrefix, 0) == 0;
        const bool oldVersion = isVersionName(name) && name != activated &&
                                name != location_->version && entry.is_directory(error) &&
                                !entry.is_symlink(error);
        if (leftover || oldVersion) {
            removeQuietly(entry.path());
        }
    }
}

fs::path UserInstallation::currentExecutable() const {
    if (!location_) {
        return executable_;
    }
    std::error_code error;
    const fs::path target = fs::read_symlink(location_->versions / "current", error);
    if (error || !isVersionName(target.string())) {
        return executable_;
    }
    return programIn(location_->versions / target);
}

std::shared_ptr<UpdateInstaller> makeUpdateInstaller() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return std::make_shared<UserInstallation>(executable, ::geteuid());
}

} // namespace cadrelle
