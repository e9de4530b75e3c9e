#pragma once

#include <QMainWindow>

#include <filesystem>

class QAction;

namespace cadrelle {

class AppModel;

// The settings window: the first-run setup or the settings pages, with the
// menu bar "Cadrelle" and "Edit". Closing it only hides it. Its place and
// size are kept in an INI file and restored the first time it is shown, also
// in the next run.
class SettingsWindow final : public QMainWindow {
    Q_OBJECT

public:
    SettingsWindow(AppModel& model, std::filesystem::path geometryFile, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Shows the window in front, with the keyboard focus.
    void showAndRaise();
    // "Quit Cadrelle" (Ctrl+Q anywhere in the application).
    QAction* quitAction() const { return quitAction_; }

    void setVisible(bool visible) override;

signals:
    // Quit from the menu, Ctrl+Q or the setup's "Quit".
    void quitRequested();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void buildMenus(AppModel& model);
    void placeFirstTime();
    void saveGeometryToFile() const;

    const std::filesystem::path geometryFile_;
    QAction* quitAction_;
    // Whether the window has been given its place: until it has, there is no
    // geometry of the user's to save.
    bool placed_ = false;
};

} // namespace cadrelle
