#pragma once

#include <filesystem>
#include <string>

namespace cadrelle {

// Puts a downloaded, verified update in place of the running program. Only an
// installation that belongs to the user can do this; the program then lives in
// a versioned folder, and one symbolic link names the version in use.
class UpdateInstaller {
public:
    virtual ~UpdateInstaller() = default;

    // Whether this installation can replace itself: it runs from a versioned
    // folder under a prefix that the user owns and can write.
    virtual bool canInstall() const = 0;

    // Unpacks `archive` into a new versioned folder for `version` beside the
    // running one, without switching to it. Throws AppError with a sentence for
    // the user when it can't; nothing is left behind then.
    virtual void stage(const std::filesystem::path& archive, const std::string& version) = 0;

    // Makes a staged `version` the one in use by replacing the link with
    // rename(), so that a crash leaves either the old or the new version.
    // Throws AppError when it can't; the running version stays in use then.
    virtual void activate(const std::string& version) = 0;

    // The program to start after `activate`.
    virtual std::filesystem::path currentExecutable() const = 0;
};

} // namespace cadrelle
