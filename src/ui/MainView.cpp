#include "MainView.h"

#include "LabelStyle.h"
#include "StatusRows.h"
#include "model/AppModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <array>

namespace cadrelle {
namespace {

// The pages in sidebar order; each title is also its page's header.
const std::array<const char*, 7> kPageTitles = {
    "General", "Capture", "Quick Access", "Device Frames", "Recordings", "Simulator Time", "About"};

constexpr int kSidebarWidth = 220;

QWidget* emptyPage() {
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(new QWidget);
    return scroll;
}

} // namespace

MainView::MainView(AppModel& model, QWidget* parent)
    : QWidget(parent), sidebar_(new QListWidget), pageTitle_(new QLabel),
      pages_(new QStackedWidget) {
    auto* appName = new QLabel(QStringLiteral("Cadrelle"));
    setFontPoints(*appName, 14, QFont::DemiBold);
    auto* settings = new QLabel(QStringLiteral("Settings"));
    setFontPoints(*settings, 12);
    setSecondary(*settings);

    for (const char* title : kPageTitles) {
        sidebar_->addItem(QString::fromUtf8(title));
        pages_->addWidget(emptyPage());
    }
    sidebar_->setFrameShape(QFrame::NoFrame);
    sidebar_->setAccessibleName(QStringLiteral("Settings pages"));

    auto* openCaptures = new QPushButton(QStringLiteral("Open Captures\u2026"));
    openCaptures->setIcon(QIcon::fromTheme(QStringLiteral("list-add")));
    openCaptures->setAutoDefault(false);

    auto* sidebar = new QWidget;
    sidebar->setFixedWidth(kSidebarWidth);
    auto* sidebarLayout = new QVBoxLayout(sidebar);
    sidebarLayout->setContentsMargins(12, 16, 12, 12);
    sidebarLayout->addWidget(appName);
    sidebarLayout->addWidget(settings);
    sidebarLayout->addSpacing(8);
    sidebarLayout->addWidget(sidebar_, 1);
    sidebarLayout->addWidget(openCaptures);

    setFontPoints(*pageTitle_, 22, QFont::Bold);
    auto* pageArea = new QVBoxLayout;
    pageArea->setContentsMargins(0, 0, 0, 0);
    pageArea->setSpacing(0);
    pageArea->addWidget(new StatusRows(model));
    auto* header = new QHBoxLayout;
    header->setContentsMargins(24, 16, 24, 8);
    header->addWidget(pageTitle_);
    pageArea->addLayout(header);
    pageArea->addWidget(pages_, 1);

    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sidebar);
    layout->addWidget(divider);
    layout->addLayout(pageArea, 1);

    connect(sidebar_, &QListWidget::currentRowChanged, this, &MainView::showPage);
    connect(openCaptures, &QPushButton::clicked, &model, &AppModel::chooseScreenshots);
    sidebar_->setCurrentRow(0);
}

void MainView::showPage(int index) {
    if (index < 0) {
        return;
    }
    pages_->setCurrentIndex(index);
    pageTitle_->setText(sidebar_->item(index)->text());
}

} // namespace cadrelle
