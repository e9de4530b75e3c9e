#pragma once

#include "core/Installation.h"
#include "updates/UpdateInstaller.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/types.h>

namespace cadrelle {

// An installation laid out as <prefix>/lib/cadrelle/<version>/bin/cadrelle,
// with the link <prefix>/lib/cadrelle/current naming the version in use and
// <prefix>/bin/cadrelle going through that link. It can replace itself when
// the program runs from the version `current` names and the versions folder
// belongs to the (non-root) user and is writable for them.
//
// An update archive holds a version folder with the file VERSION at its top,
// naming the version it contains; it is installed only under that name, and
// only when that version is newer than the running one. Each version folder
// the updater (or the release's install.sh) makes carries a marker naming
// its version; only marked folders of versions older than the running one
// are ever removed.
class UserInstallation final : public UpdateInstaller {
public:
    // The marker file in each version folder installed by Cadrelle itself.
    static constexpr char kMarker[] = ".cadrelle-installed";
    // The file at the top of an update archive that names its version.
    static constexpr char kVersionFile[] = "VERSION";

    // `installation` is the running program's; `user` is the user it runs
    // as. Archives unpacking to more than `sizeLimit` bytes are refused.
    UserInstallation(Installation installation, uid_t user,
                     std::uint64_t sizeLimit = std::uint64_t(1) << 30);

    bool canInstall() const override;
    void stage(const std::filesystem::path& archive, const std::string& version) override;
    void activate(const std::string& version) override;
    std::filesystem::path currentExecutable() const override;

private:
    void requireInstallable(const std::string& version) const;
    bool installedByUs(const std::filesystem::path& folder) const;
    void removeOldVersions() const;

    const Installation installation_;
    const uid_t user_;
    const std::uint64_t sizeLimit_;
};

// The installer of the running program's `installation` for the effective
// user.
std::shared_ptr<UpdateInstaller> makeUpdateInstaller(Installation installation);

} // namespace cadrelle
