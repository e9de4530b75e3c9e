#include "FakeServices.h"

#include "core/AppError.h"

#include <fstream>

namespace cadrelle::test {

void FakePanels::show(const FilePanelRequest& request, Done done) {
    shown.push_back(request);
    std::vector<std::filesystem::path> choice;
    if (!answers.empty()) {
        choice = answers.front();
        answers.pop_front();
    }
    done(choice);
}

void FakeLauncher::editImage(const std::filesystem::path& png) {
    if (onEdit) {
        onEdit();
    }
    edited.push_back(png);
}

void FakeTrash::moveToTrash(const std::filesystem::path& path, const std::string& shownName) {
    if (fails) {
        throw AppError("Couldn't move " + shownName + " to the Trash: the trash is full.");
    }
    trashed.push_back(path);
    std::filesystem::remove_all(path);
}

bool FakeClipboard::putImage(const std::filesystem::path& png) {
    if (!std::ifstream(png)) {
        return false;
    }
    contents.push_back("image:" + png.string());
    return true;
}

void FakePresenter::choose(std::optional<VideoExportFormat> format) {
    if (answer) {
        auto give = std::move(answer);
        answer = nullptr;
        give(format);
    }
}

} // namespace cadrelle::test
