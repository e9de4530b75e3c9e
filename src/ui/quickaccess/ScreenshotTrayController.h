#pragma once

#include "ScreenshotCard.h"
#include "TrayTransitions.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAbstractAnimation;

namespace cadrelle {

class MotionPreference;
class ScreenshotCardColumn;
class ScreenshotTrayPanel;
class QuickAccessItems;

// What the panel talks to besides the Quick Access items; the defaults are the real ones,
// tests pass their own.
struct TrayServices {
    std::shared_ptr<MotionPreference> motion;
    std::function<QPoint()> pointer;
    std::shared_ptr<DragStarter> drags;
    std::shared_ptr<DesktopLauncher> launcher;
    TrayDurations durations;
};

// Shows the pending screenshots as cards in a floating panel at the
// bottom-right corner of the screen: shows, resizes and hides the panel on
// refresh(), follows screen changes, and tells the cards which one the
// pointer is over. Lives on the main thread for the application's life.
class ScreenshotTrayController final : public QObject {
    Q_OBJECT

public:
    explicit ScreenshotTrayController(QuickAccessItems& items, TrayServices services = {});
    ~ScreenshotTrayController() override;

    // Brings the panel in line with the pending screenshots.
    void refresh();
    // One pointer sample: which card the pointer is over.
    void trackHover();
    // The rectangle the panel should have now.
    QRect targetFrame() const;

    ScreenshotTrayPanel& panel() { return *panel_; }
    ScreenshotCardColumn& column() { return *column_; }
    // Whether the pointer is sampled: exactly while screenshots are pending.
    bool tracksHover() const { return hoverTimer_.isActive(); }
    const std::optional<std::string>& hoveredID() const { return hoveredID_; }

private:
    void apply(const PanelStep& step);
    void followScreens();
    void placeAtOnce();

    QuickAccessItems& items_;
    TrayServices services_;
    TrayTransitions transitions_;
    ScreenshotCardColumn* column_;
    std::unique_ptr<ScreenshotTrayPanel> panel_;
    QTimer hoverTimer_;
    QTimer tickTimer_;
    QPointer<QAbstractAnimation> animation_;
    std::optional<std::string> hoveredID_;
};

} // namespace cadrelle
