#include "FolderCard.h"

#include "ElidedLabel.h"
#include "LabelStyle.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

// The step number's colour: indigo, on a circle of the same colour at 10 %.
constexpr int kIndigo[] = {88, 86, 214};
constexpr int kBadgeSize = 22;
constexpr int kIconSize = 28;

QLabel* badgeLabel(const QString& number) {
    auto* badge = new QLabel(number);
    badge->setAlignment(Qt::AlignCenter);
    badge->setFixedSize(kBadgeSize, kBadgeSize);
    setFontPoints(*badge, 11, QFont::Bold);
    badge->setStyleSheet(QStringLiteral("QLabel { color: rgb(%1, %2, %3); "
                                        "background-color: rgba(%1, %2, %3, 26); "
                                        "border-radius: %4px; }")
                             .arg(kIndigo[0])
                             .arg(kIndigo[1])
                             .arg(kIndigo[2])
                             .arg(kBadgeSize / 2));
    return badge;
}

// The folder's last path component; a path ending in "/" still names its
// folder, and the root folder is shown as itself.
QString folderName(const QString& path) {
    const QString cleaned = QDir::cleanPath(path);
    const QString name = QFileInfo(cleaned).fileName();
    return name.isEmpty() ? cleaned : name;
}

// The path with the home folder ("/home/ada/") shown as "~/".
QString abbreviatedPath(const QString& path) {
    const QString home = QDir::homePath() + QLatin1Char('/');
    if (home.size() > 1 && path.startsWith(home)) {
        return QStringLiteral("~/") + path.mid(home.size());
    }
    return path;
}

} // namespace

FolderCard::FolderCard(const Content& content, QWidget* parent)
    : QFrame(parent), name_(new ElidedLabel), path_(new ElidedLabel), button_(new QPushButton) {
    setFrameShape(QFrame::StyledPanel);

    auto* title = new QLabel(content.title);
    setFontPoints(*title, 13, QFont::DemiBold);
    auto* header = new QHBoxLayout;
    header->addWidget(badgeLabel(content.badge));
    header->addWidget(title, 1);

    auto* description = wrappedLabel(content.description);
    setSecondary(*description);

    setFontPoints(*name_, 13, QFont::Medium);
    setFontPoints(*path_, 11);
    setSecondary(*path_);
    auto* folderText = new QVBoxLayout;
    folderText->setSpacing(2);
    folderText->addWidget(name_);
    folderText->addWidget(path_);

    button_->setToolTip(content.buttonToolTip);
    button_->setAutoDefault(false);
    connect(button_, &QPushButton::clicked, this, &FolderCard::chooseClicked);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(iconLabel(content.icon, kIconSize), 0, Qt::AlignTop);
    folderRow->addLayout(folderText, 1);
    folderRow->addWidget(button_, 0, Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(10);
    layout->addLayout(header);
    layout->addWidget(description);
    layout->addLayout(folderRow);
}

void FolderCard::showFolder(const QString& path, const QString& buttonText) {
    name_->setFullText(path.isEmpty() ? QStringLiteral("No folder selected") : folderName(path));
    path_->setFullText(abbreviatedPath(path));
    path_->setVisible(!path.isEmpty());
    button_->setText(buttonText);
}

} // namespace cadrelle
