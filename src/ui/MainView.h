#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QStackedWidget;

namespace cadrelle {

class AppModel;

// The settings window's content once setup is complete: a sidebar with the
// seven pages and "Open Captures…", and the page area with the page's title,
// the status rows and the page's content in a scroll area. Files dropped on
// it are framed.
class MainView final : public QWidget {
    Q_OBJECT

public:
    explicit MainView(AppModel& model, QWidget* parent = nullptr);

signals:
    // "Quit App" on the About page was pressed.
    void quitRequested();

private:
    void showPage(int index);

    QListWidget* sidebar_;
    QLabel* pageTitle_;
    QStackedWidget* pages_;
};

} // namespace cadrelle
