#include "FolderSetup.h"

#include "core/AppError.h"
#include "model/SetupFolders.h"

namespace cadrelle {

FolderSetup::FolderSetup(const Preferences& preferences, std::filesystem::path settingsFile,
                         std::shared_ptr<FilePanels> panels)
    : preferences_(preferences), settingsFile_(std::move(settingsFile)),
      panels_(std::move(panels)) {}

void FolderSetup::chooseFolder(bool input) {
    FilePanelRequest request;
    request.kind = FilePanelRequest::Kind::folder;
    request.button = "Choose Folder";
    request.allowNewFolders = !input;
    request.startFolder =
        std::filesystem::path(input ? preferences_.inputPath : preferences_.outputPath);
    request.title = input ? "Choose the folder where Glimmerbox or your screenshot app saves "
                            "original screenshots and recordings."
                          : "Choose where Cadrelle saves framed captures.";
    panels_->show(request, [this, input](std::vector<std::filesystem::path> folders) {
        if (folders.empty()) {
            return;
        }
        try {
            selectFolder(folders.front(), input);
        } catch (const std::exception& error) {
            emit failed("Couldn't save access to that folder. " + userDescription(error));
        }
    });
}

void FolderSetup::selectFolder(const std::filesystem::path& folder, bool input) {
    Preferences changed = preferences_;
    (input ? changed.inputPath : changed.outputPath) = folder.string();
    (input ? changed.inputBookmark : changed.outputBookmark) = folderBookmark(folder);
    changed.save(settingsFile_);
    emit preferencesSaved(changed);
    emit folderSelected();
}

void FolderSetup::completeSetup() {
    if (preferences_.completedSetup) {
        return;
    }
    if (!canCompleteSetup()) {
        emit failed("Choose the folder where your original screenshots are saved.");
        return;
    }
    Preferences changed = preferences_;
    changed.completedSetup = true;
    try {
        SetupFolders::validate(std::filesystem::path(preferences_.inputPath),
                               std::filesystem::path(preferences_.outputPath));
        changed.save(settingsFile_);
    } catch (const std::exception& error) {
        emit failed(userDescription(error));
        return;
    }
    emit preferencesSaved(changed);
    emit setupCompleted();
}

Preferences FolderSetup::restoredFolders() const {
    Preferences restored = preferences_;
    for (const bool input : {true, false}) {
        const auto& bookmark = input ? restored.inputBookmark : restored.outputBookmark;
        if (!bookmark) {
            continue;
        }
        if (const auto folder = resolveFolderBookmark(*bookmark)) {
            (input ? restored.inputPath : restored.outputPath) = folder->string();
        }
    }
    return restored;
}

} // namespace cadrelle
