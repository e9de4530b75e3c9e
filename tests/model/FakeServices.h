#pragma once

#include "model/DesktopServices.h"
#include "model/VideoFormatPrompter.h"

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle::test {

// Records every dialog; answers each with the next prepared choice (nothing
// prepared: cancelled).
struct FakePanels : FilePanels {
    std::vector<FilePanelRequest> shown;
    std::deque<std::vector<std::filesystem::path>> answers;
    void show(const FilePanelRequest& request, Done done) override;
};

struct FakeLauncher : DesktopLauncher {
    std::vector<std::filesystem::path> opened;
    std::vector<std::filesystem::path> revealed;
    std::vector<std::filesystem::path> edited;
    bool editorExists = true;
    // Set when the editor is asked to open: how the inbox item looked then.
    std::function<void()> onEdit;
    void open(const std::filesystem::path& path) override { opened.push_back(path); }
    void reveal(const std::filesystem::path& path) override { revealed.push_back(path); }
    bool hasImageEditor() override { return editorExists; }
    void editImage(const std::filesystem::path& png) override;
};

struct FakeTrash : TrashBin {
    bool fails = false;
    std::vector<std::filesystem::path> trashed;
    void moveToTrash(const std::filesystem::path& path, const std::string& shownName) override;
};

struct FakeLoginItem : LoginItem {
    bool enabled = false;
    // Registering "succeeds" but the desktop reports the entry as disabled.
    bool staysDisabled = false;
    bool isEnabled() override { return enabled; }
    void setEnabled(bool on) override { enabled = on && !staysDisabled; }
};

struct FakeClipboard : Clipboard {
    std::vector<std::string> contents; // "image:<path>" or "file:<path>"
    void clear() override { contents.clear(); }
    bool putImage(const std::filesystem::path& png) override;
    void putFile(const std::filesystem::path& file) override {
        contents.push_back("file:" + file.string());
    }
};

// Keeps the question on screen until the test answers it.
struct FakePresenter : VideoFormatPresenter {
    std::vector<std::vector<std::string>> presented;
    int dismissed = 0;
    Answer answer;
    void present(const std::vector<std::string>& fileNames, Answer give) override {
        presented.push_back(fileNames);
        answer = std::move(give);
    }
    void dismiss() override {
        ++dismissed;
        answer = nullptr;
    }
    // Answers the question on screen (if any).
    void choose(std::optional<VideoExportFormat> format);
};

} // namespace cadrelle::test
