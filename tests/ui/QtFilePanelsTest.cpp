#include "ui/QtFilePanels.h"
#include "WidgetQueries.h"
#include "support/TempDir.h"

#include <QFileDialog>
#include <QPointer>

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

// Opens a dialog for `request` and returns it; its answers go to `answers`.
QFileDialog* open(QtFilePanels& panels, const FilePanelRequest& request,
                  std::vector<std::vector<std::filesystem::path>>& answers) {
    panels.show(request, [&answers](std::vector<std::filesystem::path> chosen) {
        answers.push_back(std::move(chosen));
    });
    return test::topLevel<QFileDialog>();
}

TEST(QtFilePanels, FolderDialogsAreTitledByTheRequestAndAnswerOnce) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "Captures");
    QtFilePanels panels;
    std::vector<std::vector<std::filesystem::path>> answers;
    FilePanelRequest request;
    request.kind = FilePanelRequest::Kind::folder;
    request.title = "Choose the folder where Glimmerbox or your screenshot app saves original "
                    "screenshots and recordings.";
    request.button = "Choose Folder";
    request.startFolder = dir.path();

    QPointer<QFileDialog> dialog = open(panels, request, answers);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle().toStdString(), request.title);
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), u"Choose Folder"_s);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_TRUE(dialog->testOption(QFileDialog::ReadOnly)) << "no New Folder";
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->directory().absolutePath().toStdString(), dir.path().string());
    dialog->selectFile(QString::fromStdString((dir / "Captures").string()));
    static_cast<QDialog*>(dialog.data())->accept(); // as the accept button does
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog) << "deleted once answered";
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], std::vector<std::filesystem::path>{dir / "Captures"});

    // The export folder may be made in the dialog; cancelling chooses nothing.
    request.allowNewFolders = true;
    dialog = open(panels, request, answers);
    EXPECT_FALSE(dialog->testOption(QFileDialog::ReadOnly));
    dialog->reject();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_TRUE(answers[1].empty());
}

TEST(QtFilePanels, FileDialogsOfferTheRequestedFiles) {
    QtFilePanels panels;
    std::vector<std::vector<std::filesystem::path>> answers;
    FilePanelRequest request;
    request.title = "Choose PNG screenshots or saved MP4 recordings from Glimmerbox.";
    request.button = "Frame Captures";
    request.multiple = true;
    request.nameFilters = {"*.png *.PNG *.mp4 *.MP4"};
    {
        QFileDialog* dialog = open(panels, request, answers);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(dialog->nameFilters(), QStringList({u"*.png *.PNG *.mp4 *.MP4"_s}));
        EXPECT_EQ(dialog->labelText(QFileDialog::Accept), u"Frame Captures"_s);
        dialog->reject();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ASSERT_EQ(answers.size(), 1u);

    // Dialogs still open when their panels go are closed without an answer.
    request.multiple = false;
    auto owner = std::make_unique<QtFilePanels>();
    QPointer<QFileDialog> dialog = open(*owner, request, answers);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    owner.reset();
    EXPECT_FALSE(dialog);
    EXPECT_EQ(answers.size(), 1u);
}

} // namespace
} // namespace cadrelle
