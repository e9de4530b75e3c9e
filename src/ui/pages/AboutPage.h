#pragma once

#include <QWidget>

namespace cadrelle {

class AppModel;
class SupportLink;

// The version shown for `applicationVersion`: itself, or "Development" for a
// build that has none.
QString versionText(const QString& applicationVersion);

// "About": the program's name and version, support, software updates, and
// quitting.
class AboutPage final : public QWidget {
    Q_OBJECT

public:
    // "Contact Support" opens `support`, by default the running program's
    // support page or README; a failure is shown under it.
    explicit AboutPage(AppModel& model, QWidget* parent = nullptr, SupportLink* support = nullptr);

signals:
    // "Quit App" was pressed.
    void quitRequested();
};

} // namespace cadrelle
