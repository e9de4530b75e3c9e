#include "FolderRow.h"

#include "PageGroup.h"
#include "model/AppModel.h"
#include "ui/ElidedLabel.h"
#include "ui/LabelStyle.h"
#include "ui/UiIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

constexpr int kIconSize = 20;

} // namespace

FolderRow::FolderRow(AppModel& model, const QString& label, bool input, QWidget* parent)
    : QWidget(parent), model_(model), input_(input), path_(new ElidedLabel) {
    auto* title = new QLabel(label);
    title->setTextFormat(Qt::PlainText);
    setFontPoints(*path_, 11);
    setSecondary(*path_);
    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addWidget(title);
    text->addWidget(path_);

    auto* choose = plainButton(QStringLiteral("Choose\u2026"));
    connect(choose, &QPushButton::clicked, this,
            [this] { model_.folderSetup().chooseFolder(input_); });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(iconLabel(folderIcon(), kIconSize));
    layout->addLayout(text, 1);
    layout->addWidget(choose);

    connect(&model_, &AppModel::preferencesChanged, this, &FolderRow::refresh);
    refresh();
}

void FolderRow::refresh() {
    const auto& preferences = model_.preferences();
    path_->setFullText(
        QString::fromStdString(input_ ? preferences.inputPath : preferences.outputPath));
}

} // namespace cadrelle
