#pragma once

#include <QUrl>
#include <QWidget>

namespace cadrelle {

class AppModel;

// The version shown for `applicationVersion`: itself, or "Development" for a
// build that has none.
QString versionText(const QString& applicationVersion);
// Where "Contact Support" leads: `builtAddress` when the build was given one,
// else the README installed beside the program in `applicationDirectory`.
QUrl supportAddress(const QString& builtAddress, const QString& applicationDirectory);

// "About": the program's name and version, support, software updates, and
// quitting.
class AboutPage final : public QWidget {
    Q_OBJECT

public:
    explicit AboutPage(AppModel& model, QWidget* parent = nullptr);

signals:
    // "Quit App" was pressed.
    void quitRequested();
};

} // namespace cadrelle
