#include "PageGroup.h"

#include "ui/LabelStyle.h"

#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

constexpr int kSymbolSize = 18;

} // namespace

PageGroup::PageGroup(const QString& title, const QString& note, QWidget* parent)
    : QWidget(parent), rows_(new QVBoxLayout) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* heading = new QLabel(title);
    heading->setTextFormat(Qt::PlainText);
    setFontPoints(*heading, 13, QFont::Bold);
    layout->addWidget(heading);
    if (!note.isEmpty()) {
        auto* explanation = wrappedLabel(note);
        setFontPoints(*explanation, 11);
        setSecondary(*explanation);
        layout->addWidget(explanation);
    }
    rows_->setContentsMargins(0, 4, 0, 0);
    rows_->setSpacing(10);
    layout->addLayout(rows_);
}

void PageGroup::addRow(QWidget* row) {
    rows_->addWidget(row);
}

void PageGroup::addRow(QLayout* row) {
    rows_->addLayout(row);
}

QFrame* PageGroup::addDivider(qreal opacity) {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    if (opacity < 1.0) {
        auto* effect = new QGraphicsOpacityEffect(line);
        effect->setOpacity(opacity);
        line->setGraphicsEffect(effect);
    }
    rows_->addWidget(line);
    return line;
}

QVBoxLayout* pageLayout(QWidget& page) {
    auto* layout = new QVBoxLayout(&page);
    layout->setContentsMargins(24, 8, 24, 24);
    layout->setSpacing(24);
    layout->setAlignment(Qt::AlignTop);
    return layout;
}

QWidget* footnote(const QString& text) {
    auto* label = wrappedLabel(text);
    setFontPoints(*label, 11);
    setSecondary(*label);
    return label;
}

QWidget* descriptionRow(const QIcon& icon, const QString& title, const QString& detail) {
    auto* row = new QWidget;
    auto* heading = new QLabel(title);
    heading->setTextFormat(Qt::PlainText);
    setFontPoints(*heading, 13, QFont::Medium);
    auto* explanation = wrappedLabel(detail);
    setSecondary(*explanation);
    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addWidget(heading);
    text->addWidget(explanation);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(iconLabel(icon, kSymbolSize), 0, Qt::AlignTop);
    layout->addLayout(text, 1);
    return row;
}

QPushButton* plainButton(const QString& text) {
    auto* button = new QPushButton(text);
    button->setAutoDefault(false);
    return button;
}

} // namespace cadrelle
