// The application model's folder access and first-run setup.
#include "AppModel.h"

#include "core/AppError.h"
#include "model/SetupFolders.h"

namespace cadrelle {

void AppModel::chooseFolder(bool input) {
    FilePanelRequest request;
    request.kind = FilePanelRequest::Kind::folder;
    request.button = "Choose Folder";
    request.allowNewFolders = !input;
    request.startFolder =
        std::filesystem::path(input ? preferences_.inputPath : preferences_.outputPath);
    request.title = input ? "Choose the folder where Glimmerbox or your screenshot app saves "
                            "original screenshots and recordings."
                          : "Choose where Cadrelle saves framed captures.";
    services_.panels->show(request, [this, input](std::vector<std::filesystem::path> folders) {
        if (folders.empty()) {
            return;
        }
        try {
            selectFolder(folders.front(), input);
        } catch (const std::exception& error) {
            setErrorMessage("Couldn't save access to that folder. " + userDescription(error));
        }
    });
}

void AppModel::selectFolder(const std::filesystem::path& folder, bool input) {
    Preferences changed = preferences_;
    (input ? changed.inputPath : changed.outputPath) = folder.string();
    (input ? changed.inputBookmark : changed.outputBookmark) = folderBookmark(folder);
    changed.save(settingsFile());
    setPreferences(std::move(changed));
    setErrorMessage(std::nullopt);
    if (preferences_.completedSetup) {
        stopWatching();
        startWatching();
    }
}

void AppModel::completeSetup() {
    if (preferences_.completedSetup) {
        return;
    }
    if (!canCompleteSetup()) {
        setErrorMessage("Choose the folder where your original screenshots are saved.");
        return;
    }
    try {
        SetupFolders::validate(std::filesystem::path(preferences_.inputPath),
                               std::filesystem::path(preferences_.outputPath));
    } catch (const std::exception& error) {
        setErrorMessage(userDescription(error));
        return;
    }
    Preferences changed = preferences_;
    changed.completedSetup = true;
    try {
        changed.save(settingsFile());
    } catch (const std::exception& error) {
        setErrorMessage(userDescription(error));
        return;
    }
    setPreferences(std::move(changed));
    setErrorMessage(std::nullopt);
    if (presentationChanged) {
        presentationChanged();
    }
    startWatching();
}

void AppModel::restoreFolderAccess() {
    for (const bool input : {true, false}) {
        const auto& bookmark = input ? preferences_.inputBookmark : preferences_.outputBookmark;
        if (!bookmark) {
            continue;
        }
        // A folder that is gone is skipped: path and bookmark stay as stored.
        if (const auto folder = resolveFolderBookmark(*bookmark)) {
            (input ? preferences_.inputPath : preferences_.outputPath) = folder->string();
        }
    }
    savePreferences(false);
}

} // namespace cadrelle
