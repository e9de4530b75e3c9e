#pragma once

#include <QWidget>

class QFrame;
class QLayout;
class QPushButton;
class QVBoxLayout;

namespace cadrelle {

// One titled group of a settings page: the title in bold, an optional note
// in smaller secondary text, then the group's rows one under the other.
class PageGroup final : public QWidget {
    Q_OBJECT

public:
    explicit PageGroup(const QString& title, const QString& note = {}, QWidget* parent = nullptr);

    void addRow(QWidget* row);
    void addRow(QLayout* row);
    // A thin line between rows, drawn at `opacity`.
    QFrame* addDivider(qreal opacity = 1.0);

private:
    QVBoxLayout* rows_;
};

// A settings page's layout: its groups from the top, with room left below.
QVBoxLayout* pageLayout(QWidget& page);
// The secondary text that closes some pages.
QWidget* footnote(const QString& text);
// A row that explains something: a symbol, a title and a line of detail.
QWidget* descriptionRow(const QIcon& icon, const QString& title, const QString& detail);
// A button that is never the window's default button.
QPushButton* plainButton(const QString& text);

} // namespace cadrelle
