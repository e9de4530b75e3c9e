#include "CardIcons.h"

namespace cadrelle {
namespace {

QIcon bundled(const QString& file) {
    return QIcon(QStringLiteral(":/cadrelle/icons/") + file);
}

QIcon themed(const QString& themeName, const QString& file) {
    return QIcon::fromTheme(themeName, bundled(file));
}

} // namespace

QIcon readyIcon() {
    return bundled(QStringLiteral("check-circle.svg"));
}

QIcon moreIcon() {
    return themed(QStringLiteral("view-more-symbolic"), QStringLiteral("more.svg"));
}

QIcon discardIcon() {
    return bundled(QStringLiteral("trash.svg"));
}

QIcon editIcon() {
    return themed(QStringLiteral("document-edit-symbolic"), QStringLiteral("edit.svg"));
}

QIcon finishIcon() {
    return themed(QStringLiteral("applications-graphics-symbolic"), QStringLiteral("palette.svg"));
}

QIcon copyIcon() {
    return themed(QStringLiteral("edit-copy-symbolic"), QStringLiteral("copy.svg"));
}

QIcon copiedIcon() {
    return themed(QStringLiteral("object-select-symbolic"), QStringLiteral("checkmark.svg"));
}

QIcon saveScreenshotIcon() {
    return themed(QStringLiteral("document-save-symbolic"), QStringLiteral("save.svg"));
}

QIcon hintArrowIcon() {
    return themed(QStringLiteral("go-next-symbolic"), QStringLiteral("arrow-right.svg"));
}

} // namespace cadrelle
