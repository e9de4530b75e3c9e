#pragma once

#include <filesystem>

namespace cadrelle {

// Makes `folder` a folder only this user can enter: missing folders on the
// way are created 0700, and what is already there (left by an earlier
// version, or made under a loose umask) is tightened: the folder and every
// folder in it to 0700, every file in it to 0600. Items of other users and
// symbolic links are left as they are. Then registers it (below). Throws
// FileError when the folder cannot be made or tightened, and AppError
// "<folder>: This folder belongs to another user." when it is not this
// user's.
void makePrivateFolder(const std::filesystem::path& folder);

// Remembers, for this process, that `folder` and everything in it are
// private: the files and folders the program makes there (FileIO.h) are
// 0600 and 0700 whatever the umask. Elsewhere, in the folders the user
// shares framed captures from, new items get the usual modes.
void registerPrivateFolder(const std::filesystem::path& folder);
// Whether `path` is a registered private folder or inside one.
bool isInPrivateFolder(const std::filesystem::path& path);

// The application's data folder: $XDG_DATA_HOME/Lumivane, by default
// ~/.local/share/Lumivane.
std::filesystem::path defaultDataFolder();

// The program's private state folder, made when missing:
// $XDG_STATE_HOME/cadrelle, by default ~/.local/state/cadrelle, registered
// as private. Throws as makePrivateFolder().
std::filesystem::path privateStateFolder();

} // namespace cadrelle
