#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cadrelle {

// The desktop facilities the application model uses, each behind a small
// interface: the real ones live in the desktop and widget layers, tests pass
// fakes. Every call is made on the main thread.

// An open dialog for files or one folder.
struct FilePanelRequest {
    enum class Kind { files, folder };
    Kind kind = Kind::files;
    std::string title;  // the sentence that tells the user what to choose
    std::string button; // the accept button's title
    bool multiple = false;
    std::vector<std::string> nameFilters; // files only, e.g. "*.png *.PNG"
    std::filesystem::path startFolder;
    bool allowNewFolders = false; // folders only
};

class FilePanels {
public:
    using Done = std::function<void(std::vector<std::filesystem::path>)>;
    virtual ~FilePanels() = default;
    // Shows the dialog in front of other applications and returns at once;
    // `done` runs later on the main thread with the chosen paths (empty when
    // the user cancelled).
    virtual void show(const FilePanelRequest& request, Done done) = 0;
};

class DesktopLauncher {
public:
    virtual ~DesktopLauncher() = default;
    // Opens a file or folder with the desktop's default application; throws
    // AppError when that fails.
    virtual void open(const std::filesystem::path& path) = 0;
    // Shows a file selected in the file manager (or its folder where no file
    // manager can select it).
    virtual void reveal(const std::filesystem::path& path) = 0;
    // Whether the desktop has a default application for PNG images.
    virtual bool hasImageEditor() = 0;
    // Opens a PNG with that application; throws AppError when that fails.
    virtual void editImage(const std::filesystem::path& png) = 0;
};

class TrashBin {
public:
    virtual ~TrashBin() = default;
    // Moves a file or folder to the desktop's trash; throws when it cannot,
    // with a message that calls it `shownName` (what the user knows it as).
    virtual void moveToTrash(const std::filesystem::path& path, const std::string& shownName) = 0;
};

class LoginItem {
public:
    virtual ~LoginItem() = default;
    // Whether the application starts with the desktop session.
    virtual bool isEnabled() = 0;
    // Registers or unregisters the application; throws when it cannot.
    virtual void setEnabled(bool enabled) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    // Puts the image read from a PNG file there; false when it can't be read.
    virtual bool putImage(const std::filesystem::path& png) = 0;
    // Puts a file there as a file location.
    virtual void putFile(const std::filesystem::path& file) = 0;
};

struct DesktopServices {
    std::shared_ptr<FilePanels> panels;
    std::shared_ptr<DesktopLauncher> launcher;
    std::shared_ptr<TrashBin> trash;
    std::shared_ptr<LoginItem> loginItem;
    std::shared_ptr<Clipboard> clipboard;
};

} // namespace cadrelle
