#pragma once

#include <QFrame>
#include <QIcon>
#include <QString>

class QLabel;
class QPushButton;

namespace cadrelle {

class ElidedLabel;

// One step of the first-run setup: a numbered card that says which folder to
// choose, shows the folder chosen and has a button to choose it.
class FolderCard final : public QFrame {
    Q_OBJECT

public:
    struct Content {
        QString badge;
        QString title;
        QIcon icon;
        QString description;
        QString buttonToolTip;
    };

    explicit FolderCard(const Content& content, QWidget* parent = nullptr);

    // Shows `path` (empty: "No folder selected") and names the button.
    void showFolder(const QString& path, const QString& buttonText);

signals:
    void chooseClicked();

private:
    ElidedLabel* name_;
    ElidedLabel* path_;
    QPushButton* button_;
};

} // namespace cadrelle
