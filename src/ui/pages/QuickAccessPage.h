#pragma once

#include <QWidget>

#include <cstddef>

class QFrame;
class QLabel;

namespace cadrelle {

class AppModel;

// "1 pending screenshot", "2 pending screenshots".
QString pendingScreenshotsText(std::size_t count);

// "Quick Access": whether screenshots wait as cards before saving, the
// pending ones, and what the cards offer.
class QuickAccessPage final : public QWidget {
    Q_OBJECT

public:
    explicit QuickAccessPage(AppModel& model, QWidget* parent = nullptr);

private:
    void refreshPending();

    AppModel& model_;
    QFrame* pendingDivider_;
    QWidget* pendingRow_;
    QLabel* pendingText_;
};

} // namespace cadrelle
