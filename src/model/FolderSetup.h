#pragma once

#include "capture/Preferences.h"
#include "model/DesktopServices.h"

#include <QObject>

#include <filesystem>
#include <memory>
#include <string>

namespace cadrelle {

// The choice of the capture and export folders and the completion of the
// first-run setup. Every change is saved to the settings file first and only
// then published through `preferencesSaved`, so the published preferences
// never differ from what is stored. Lives on the main thread.
class FolderSetup final : public QObject {
    Q_OBJECT

public:
    // `preferences` are the published ones; they must outlive this.
    FolderSetup(const Preferences& preferences, std::filesystem::path settingsFile,
                std::shared_ptr<FilePanels> panels);

    // Whether the capture folder was chosen, so setup can be completed.
    bool canCompleteSetup() const { return preferences_.inputBookmark.has_value(); }

    // Asks for the capture (`input`) or export folder and selects the chosen
    // one; a failure to save it is reported through `failed`.
    void chooseFolder(bool input);
    // Stores the folder's path and bookmark; throws when the settings can't
    // be saved (the published preferences then stay as they were).
    void selectFolder(const std::filesystem::path& folder, bool input);
    // Checks both folders and marks setup completed; a failure is reported
    // through `failed`.
    void completeSetup();
    // The preferences with each folder's path taken from its bookmark; a
    // folder that is gone keeps its stored path and bookmark.
    Preferences restoredFolders() const;

signals:
    // These preferences were saved and are to be published.
    void preferencesSaved(const Preferences& preferences);
    // A folder was selected (after preferencesSaved).
    void folderSelected();
    // Setup was completed (after preferencesSaved).
    void setupCompleted();
    // Something failed; the sentence tells the user what.
    void failed(const std::string& message);

private:
    const Preferences& preferences_;
    const std::filesystem::path settingsFile_;
    const std::shared_ptr<FilePanels> panels_;
};

} // namespace cadrelle
