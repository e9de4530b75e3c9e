#include "MainView.h"

#include "FileDropTarget.h"
#include "LabelStyle.h"
#include "StatusRows.h"
#include "UiIcons.h"
#include "model/AppModel.h"
#include "pages/AboutPage.h"
#include "pages/CapturePage.h"
#include "pages/DeviceFramesPage.h"
#include "pages/GeneralPage.h"
#include "pages/QuickAccessPage.h"
#include "pages/RecordingsPage.h"
#include "pages/SidebarTile.h"
#include "pages/SimulatorTimePage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

// How a page is listed in the sidebar; its title is also its header.
struct PageEntry {
    const char* title;
    const char* themeIcon;
    const char* bundledIcon;
    QColor tile;
};

const QColor kGray(142, 142, 147);

// The pages in sidebar order.
const PageEntry kPages[] = {
    {"General", "preferences-system", "gear.svg", kGray},
    {"Capture", "camera-photo", "camera.svg", QColor(0, 122, 255)},
    {"Quick Access", "preferences-desktop-notification", "panel.svg", QColor(0, 199, 190)},
    {"Device Frames", "phone", "phone.svg", QColor(175, 82, 222)},
    {"Recordings", "video-x-generic", "video.svg", QColor(255, 45, 85)},
    {"Simulator Time", "preferences-system-time", "clock.svg", QColor(255, 149, 0)},
    {"About", "help-about", "info.svg", kGray},
};

constexpr int kSidebarWidth = 220;
constexpr int kTileSize = 28;

QWidget* scrolling(QWidget* page) {
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(page);
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

    auto* about = new AboutPage(model);
    connect(about, &AboutPage::quitRequested, this, &MainView::quitRequested);
    for (QWidget* page :
         {static_cast<QWidget*>(new GeneralPage(model)),
          static_cast<QWidget*>(new CapturePage(model)),
          static_cast<QWidget*>(new QuickAccessPage(model)),
          static_cast<QWidget*>(new DeviceFramesPage(model)),
          static_cast<QWidget*>(new RecordingsPage(model)),
          static_cast<QWidget*>(new SimulatorTimePage(model)), static_cast<QWidget*>(about)}) {
        pages_->addWidget(scrolling(page));
    }
    for (const PageEntry& entry : kPages) {
        const QIcon symbol = themedIcon(QString::fromLatin1(entry.themeIcon),
                                        QString::fromLatin1(entry.bundledIcon));
        sidebar_->addItem(
            new QListWidgetItem(sidebarTile(symbol, entry.tile), QString::fromUtf8(entry.title)));
    }
    sidebar_->setIconSize(QSize(kTileSize, kTileSize));
    sidebar_->setSpacing(2);
    sidebar_->setFrameShape(QFrame::NoFrame);
    sidebar_->setAccessibleName(QStringLiteral("Settings pages"));

    auto* openCaptures = new QPushButton(QStringLiteral("Open Captures\u2026"));
    openCaptures->setIcon(addIcon());
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

    // Dropped files are framed like opened ones, all in one job; while a job
    // runs they wait for their turn.
    new FileDropTarget(*this, [&model](const std::vector<std::filesystem::path>& files) {
        model.frameManually(files);
        return true;
    });

    // The page follows the selected row rather than the current one: a click
    // or an arrow key moves both, but assistive tools choose a page by
    // selecting its row alone.
    connect(sidebar_, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = sidebar_->selectedItems();
        if (!selected.isEmpty()) {
            const int row = sidebar_->row(selected.first());
            sidebar_->setCurrentRow(row);
            showPage(row);
        }
    });
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
