#include "ScreenshotTrayController.h"

#include "DesktopMotionPreference.h"
#include "QtDragStarter.h"
#include "ScreenshotCardColumn.h"
#include "ScreenshotTrayPanel.h"
#include "TrayGeometry.h"
#include "desktop/XdgLauncher.h"
#include "model/QuickAccessItems.h"

#include <QCursor>
#include <QGuiApplication>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QScreen>

namespace cadrelle {
namespace {

TrayServices withDefaults(TrayServices services) {
    if (!services.motion) {
        services.motion = std::make_shared<DesktopMotionPreference>();
    }
    if (!services.pointer) {
        services.pointer = [] { return QCursor::pos(); };
    }
    if (!services.drags) {
        services.drags = std::make_shared<QtDragStarter>();
    }
    if (!services.launcher) {
        services.launcher = std::make_shared<XdgLauncher>();
    }
    return services;
}

} // namespace

ScreenshotTrayController::ScreenshotTrayController(QuickAccessItems& items, TrayServices services)
    : items_(items), services_(withDefaults(std::move(services))),
      transitions_(services_.durations),
      column_(new ScreenshotCardColumn(items, {services_.drags, services_.launcher},
                                       services_.durations.cardsMs)),
      panel_(std::make_unique<ScreenshotTrayPanel>(column_)) {
    constexpr int kHoverSampleMs = 100;
    constexpr int kTickMs = 1000;
    hoverTimer_.setInterval(kHoverSampleMs);
    connect(&hoverTimer_, &QTimer::timeout, this, &ScreenshotTrayController::trackHover);
    tickTimer_.setInterval(kTickMs);
    connect(&tickTimer_, &QTimer::timeout, column_, &ScreenshotCardColumn::tick);
    followScreens();
}

ScreenshotTrayController::~ScreenshotTrayController() {
    if (animation_) {
        animation_->stop();
    }
}

void ScreenshotTrayController::followScreens() {
    const auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, &ScreenshotTrayController::placeAtOnce);
        connect(screen, &QScreen::availableGeometryChanged, this,
                &ScreenshotTrayController::placeAtOnce);
    };
    for (QScreen* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    connect(application, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        placeAtOnce();
    });
    // Queued: while the signal runs the removed screen is still listed.
    connect(application, &QGuiApplication::screenRemoved, this,
            &ScreenshotTrayController::placeAtOnce, Qt::QueuedConnection);
    connect(application, &QGuiApplication::primaryScreenChanged, this,
            &ScreenshotTrayController::placeAtOnce);
}

void ScreenshotTrayController::placeAtOnce() {
    if (panel_->isVisible()) {
        panel_->setGeometry(targetFrame());
    }
}

QRect ScreenshotTrayController::targetFrame() const {
    std::optional<QRect> own;
    if (panel_->isVisible() && panel_->screen() != nullptr) {
        own = panel_->screen()->availableGeometry();
    }
    std::vector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.push_back({screen->geometry(), screen->availableGeometry()});
    }
    std::optional<QRect> primary;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        primary = screen->availableGeometry();
    }
    std::vector<bool> errors;
    for (const PendingScreenshot& item : items_.pendingScreenshots()) {
        errors.push_back(items_.previewErrors().count(item.record.id) != 0);
    }
    return cadrelle::targetFrame(trayArea(own, screens, services_.pointer(), primary), errors);
}

void ScreenshotTrayController::refresh() {
    const auto& pending = items_.pendingScreenshots();
    const bool hasItems = !pending.empty();
    const bool reduceMotion = services_.motion->reduceMotion();
    if (hasItems) {
        // The column keeps the last cards while the panel fades out empty.
        column_->setItems(pending, reduceMotion);
        if (!hoverTimer_.isActive()) {
            hoverTimer_.start();
            tickTimer_.start();
        }
    } else {
        hoverTimer_.stop();
        tickTimer_.stop();
    }
    apply(transitions_.refresh(hasItems, panel_->isVisible(), panel_->geometry(), targetFrame(),
                               reduceMotion));
}

void ScreenshotTrayController::apply(const PanelStep& step) {
    if (animation_) {
        animation_->stop();
        animation_->deleteLater();
    }
    switch (step.kind) {
    case PanelStep::Kind::none:
        return;
    case PanelStep::Kind::show:
        panel_->setGeometry(step.from);
        panel_->setWindowOpacity(step.fromOpacity);
        panel_->present();
        break;
    case PanelStep::Kind::resize:
        panel_->setWindowOpacity(step.fromOpacity);
        break;
    case PanelStep::Kind::hide:
        break;
    }
    const auto finished = [this, step] {
        if (step.kind == PanelStep::Kind::hide && transitions_.hideStillCurrent(step.transition)) {
            panel_->hide();
        }
    };
    if (step.durationMs == 0) {
        panel_->setGeometry(step.to);
        panel_->setWindowOpacity(step.toOpacity);
        finished();
        return;
    }
    auto* group = new QParallelAnimationGroup(this);
    auto* frame = new QPropertyAnimation(panel_.get(), "geometry", group);
    frame->setStartValue(panel_->geometry());
    frame->setEndValue(step.to);
    auto* opacity = new QPropertyAnimation(panel_.get(), "windowOpacity", group);
    opacity->setStartValue(panel_->windowOpacity());
    opacity->setEndValue(step.toOpacity);
    for (QPropertyAnimation* animation : {frame, opacity}) {
        animation->setDuration(step.durationMs);
        animation->setEasingCurve(QEasingCurve::OutCubic);
    }
    connect(group, &QAbstractAnimation::finished, this, finished);
    animation_ = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void ScreenshotTrayController::trackHover() {
    std::optional<std::string> id = hoveredCardID(
        panel_->isVisible(), panel_->geometry(), services_.pointer(), column_->cardFrames(*panel_));
    if (id != hoveredID_) {
        hoveredID_ = std::move(id);
        column_->setHoveredID(hoveredID_, !services_.motion->reduceMotion());
    }
}

} // namespace cadrelle
