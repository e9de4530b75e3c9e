#pragma once

#include <filesystem>

namespace cadrelle {

// Hidden temporary items (".lumivane-<UUID>" files and folders, and staging
// folders ".preparing-<UUID>") are what a write or an export makes beside its
// destination until it is complete; a run that was killed leaves them.
//
// A process that makes temporary items in a folder first claims the folder:
// it holds a shared lock on the folder's "temporary" lock file (see
// LockFile.h) until it ends. The first claim of a folder that no other copy
// of the program holds removes every temporary item of this user in it at
// once: nobody is writing them any more. When another copy holds the folder,
// only items unchanged for a day go (removeStaleTemporaryItems). With
// `withSubfolders`, the claim also covers the folders directly inside it
// (their items are removed with the folder's, and they need no claim of
// their own): the inbox's item folders. Claiming a folder twice does
// nothing; failures are ignored, tidying up is never worth one.
void claimTemporaryFolder(const std::filesystem::path& folder,
                          bool withSubfolders = false) noexcept;

} // namespace cadrelle
