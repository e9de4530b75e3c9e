#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// What "cadrelle app [--background] [FILE ...]" asks for.
struct AppArguments {
    // Started from the desktop session's autostart entry: stay out of sight
    // once setup is done.
    bool background = false;
    // Files to frame, absolute, in the order given.
    std::vector<std::filesystem::path> files;
    // "--data-dir DIRECTORY": a separate data folder for development.
    std::optional<std::filesystem::path> dataDirectory;

    // Reads the process arguments without the program path: empty, or "app"
    // followed by its words. After "app", "--background" sets `background`,
    // "--data-dir" takes the next word as the data folder, and every other
    // word is a file; relative paths resolve against `currentFolder`. Throws
    // AppError "Missing value for --data-dir".
    static AppArguments parse(const std::vector<std::string>& arguments,
                              const std::filesystem::path& currentFolder);

    // The data folder: "--data-dir" if given, else the user's data folder
    // ($XDG_DATA_HOME, by default ~/.local/share) + "Lumivane".
    std::filesystem::path dataFolder() const;
};

} // namespace cadrelle
