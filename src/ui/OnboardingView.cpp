#include "OnboardingView.h"

#include "FolderCard.h"
#include "LabelStyle.h"
#include "UiIcons.h"
#include "model/AppModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

constexpr int kLineIconSize = 16;

// An icon beside a wrapping text, as the reassurance and error lines show.
QWidget* iconLine(const QIcon& icon, QLabel* text) {
    auto* line = new QWidget;
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(iconLabel(icon, kLineIconSize), 0, Qt::AlignTop);
    layout->addWidget(text, 1);
    return line;
}

} // namespace

OnboardingView::OnboardingView(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model),
      captureCard_(new FolderCard(
          {QStringLiteral("1"), QStringLiteral("Where are your screenshots saved?"), folderIcon(),
           QStringLiteral("Choose the folder where Glimmerbox or your screenshot app saves "
                          "original screenshots and recordings."),
           QStringLiteral("Choose screenshot source folder")})),
      exportCard_(new FolderCard(
          {QStringLiteral("2"), QStringLiteral("Where should framed copies go?"), saveIcon(),
           QStringLiteral("Screenshots wait in a corner preview. Save or swipe right to send "
                          "them to this folder (Desktop by default). Recordings export here "
                          "directly after you choose a format."),
           QStringLiteral("Choose export folder")})),
      errorText_(wrappedLabel(QString())),
      hint_(new QLabel(QStringLiteral("Choose a screenshot folder to continue."))),
      finish_(new QPushButton(QStringLiteral("Finish Setup"))) {
    auto* title = new QLabel(QStringLiteral("Welcome to Cadrelle"));
    setFontPoints(*title, 26, QFont::Bold);
    auto* intro = wrappedLabel(QStringLiteral(
        "Choose where screenshots arrive and where framed copies should go. Cadrelle takes "
        "care of new captures in the background."));
    setSecondary(*intro);

    auto* reassurance = wrappedLabel(QStringLiteral(
        "Originals stay untouched. Only new captures are picked up automatically after setup."));
    setSecondary(*reassurance);
    errorText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    errorLine_ = iconLine(warningIcon(), errorText_);

    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(40, 36, 40, 24);
    column->setSpacing(16);
    column->addWidget(title);
    column->addWidget(intro);
    column->addSpacing(8);
    column->addWidget(captureCard_);
    column->addWidget(exportCard_);
    column->addWidget(iconLine(shieldIcon(), reassurance));
    column->addWidget(errorLine_);
    column->addStretch(1);

    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);

    auto* quit = new QPushButton(QStringLiteral("Quit"));
    quit->setAutoDefault(false);
    setSecondary(*hint_);
    finish_->setDefault(true);
    // A window that is not a dialog has no default button of its own, so
    // Return is given to "Finish Setup" here.
    finish_->setShortcut(QKeySequence(Qt::Key_Return));
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(40, 12, 40, 20);
    footer->addWidget(quit);
    footer->addStretch(1);
    footer->addWidget(hint_);
    footer->addWidget(finish_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(scroll, 1);
    layout->addLayout(footer);

    connect(captureCard_, &FolderCard::chooseClicked, this,
            [this] { model_.folderSetup().chooseFolder(true); });
    connect(exportCard_, &FolderCard::chooseClicked, this,
            [this] { model_.folderSetup().chooseFolder(false); });
    connect(quit, &QPushButton::clicked, this, &OnboardingView::quitRequested);
    connect(finish_, &QPushButton::clicked, this, [this] { model_.folderSetup().completeSetup(); });
    connect(&model_, &AppModel::preferencesChanged, this, &OnboardingView::refresh);
    connect(&model_, &AppModel::errorMessageChanged, this, &OnboardingView::refresh);
    refresh();
}

void OnboardingView::refresh() {
    const bool ready = model_.folderSetup().canCompleteSetup();
    const auto& preferences = model_.preferences();
    // The capture folder shows only once it can be used to finish setup.
    const QString capture = ready ? QString::fromStdString(preferences.inputPath) : QString();
    captureCard_->showFolder(capture, capture.isEmpty() ? QStringLiteral("Choose Folder\u2026")
                                                        : QStringLiteral("Change\u2026"));
    exportCard_->showFolder(QString::fromStdString(preferences.outputPath),
                            QStringLiteral("Change\u2026"));

    const auto& error = model_.errorMessage();
    errorText_->setText(error ? QString::fromStdString(*error) : QString());
    errorLine_->setVisible(error.has_value());
    hint_->setVisible(!ready);
    finish_->setEnabled(ready);
}

} // namespace cadrelle
