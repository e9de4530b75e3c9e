#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace cadrelle {

// Where the running program is installed, worked out once from its executable.
// An installed program (per user under ~/.local, or the Debian package under
// /usr) lives in a folder of its version: PREFIX/lib/cadrelle/<version>/bin/
// cadrelle, with its own share/ and lib/cadrelle/ beside its bin/ folder; the
// link PREFIX/lib/cadrelle/current names the version in use and the launcher
// PREFIX/bin/cadrelle starts it through that link, so the launcher keeps
// working when an update replaces the version folder. Any other program (the
// build tree, a test build) has no prefix, and its launcher is itself.
struct Installation {
    // The running program, with every link resolved.
    std::filesystem::path executable;
    // PREFIX, empty unless the program lives in a version folder.
    std::filesystem::path prefix;
    // PREFIX/lib/cadrelle, which holds the version folders; empty without a
    // prefix.
    std::filesystem::path versions;
    // The running version: the version folder's name when there is one, else
    // the version the program was built as.
    std::string version;
    // What starts this installation from outside, now and after updates:
    // PREFIX/bin/cadrelle when it exists, else the executable.
    std::filesystem::path launcher;

    bool isVersioned() const { return !prefix.empty(); }
    // A file shipped with the program, given relative to the installation's
    // root (e.g. "share/cadrelle/Frames"): in the version folder; without one
    // "<executable's folder>/../<relative>" (installed by hand) or else
    // "<executable's folder>/<relative>" (the build tree), the first when
    // neither exists so that errors name the installed place.
    std::filesystem::path file(const std::filesystem::path& relative) const;

    // The installation of the program at `executable` (links resolved), built
    // as `builtVersion`.
    static Installation of(const std::filesystem::path& executable,
                           std::string_view builtVersion = {});
    // The running program's installation (/proc/self/exe). Its version is
    // the version folder's name; without one it is empty, so callers that
    // need the version use of(running().executable, builtVersion).
    static const Installation& running();
    // Whether `name` can name a version folder: letters, digits, ".", "_",
    // "+" and "-", at most 64 of them, not starting with "." and not
    // "current".
    static bool isVersionName(std::string_view name);
};

} // namespace cadrelle
