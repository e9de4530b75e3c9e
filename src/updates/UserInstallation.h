#pragma once

#include "updates/UpdateInstaller.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace cadrelle {

// An installation laid out as <prefix>/lib/cadrelle/<version>/bin/cadrelle,
// with the link <prefix>/lib/cadrelle/current naming the version in use and
// <prefix>/bin/cadrelle going through that link. It can replace itself when
// the program runs from the version `current` names and the versions folder
// belongs to the (non-root) user and is writable for them.
class UserInstallation final : public UpdateInstaller {
public:
    // `executable` is the running program with every link resolved; `user` is
    // the user it runs as. Archives unpacking to more than `sizeLimit` bytes
    // are refused.
    UserInstallation(std::filesystem::path executable, uid_t user,
                     std::uint64_t sizeLimit = std::uint64_t(1) << 30);

    bool canInstall() const override;
    void stage(const std::filesystem::path& archive, const std::string& version) override;
    void activate(const std::string& version) override;
    std::filesystem::path currentExecutable() const override;

    // The versions folder and running version of a program at `executable`,
    // when it lives in a versioned folder; none otherwise.
    struct Location {
        std::filesystem::path versions;
        std::string version;
    };
    static std::optional<Location> locate(const std::filesystem::path& executable);

    // Whether `version` can name a folder beside the others: letters, digits,
    // ".", "_", "+" and "-", not starting with "." and not "current".
    static bool isVersionName(const std::string& version);

private:
    void requireInstallable(const std::string& version) const;
    void removeOldVersions(const std::string& activated) const;

    const std::filesystem::path executable_;
    const std::optional<Location> location_;
    const uid_t user_;
    const std::uint64_t sizeLimit_;
};

// The installer of the running program (/proc/self/exe, the effective user).
std::shared_ptr<UpdateInstaller> makeUpdateInstaller();

} // namespace cadrelle
