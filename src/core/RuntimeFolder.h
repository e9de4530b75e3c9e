#pragma once

#include <filesystem>

namespace cadrelle {

// Whether `folder` is a folder only the current user can enter: a real
// folder (not a symbolic link), owned by the user, with no permission for
// its group or others.
bool isPrivateFolder(const std::filesystem::path& folder);

// A folder for the user's sockets that no other user can plant, enter or
// list. `$XDG_RUNTIME_DIR` when it is such a folder; otherwise the first of
// `<temporary folder>/cadrelle-<uid>` and `<cache folder>/Lumivane/Runtime`
// that is the user's own, made when missing and set to 0700 (a folder or
// link another user put there is passed over). Throws AppError when none can
// be had.
std::filesystem::path privateRuntimeFolder();

} // namespace cadrelle
