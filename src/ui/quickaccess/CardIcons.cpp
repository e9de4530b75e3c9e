#include "CardIcons.h"

#include "ui/UiIcons.h"

namespace cadrelle {

QIcon readyIcon() {
    return bundledIcon(QStringLiteral("check-circle.svg"));
}

QIcon moreIcon() {
    return themedIcon(QStringLiteral("view-more-symbolic"), QStringLiteral("more.svg"));
}

QIcon discardIcon() {
    return bundledIcon(QStringLiteral("trash.svg"));
}

QIcon editIcon() {
    return themedIcon(QStringLiteral("document-edit-symbolic"), QStringLiteral("edit.svg"));
}

QIcon finishIcon() {
    return themedIcon(QStringLiteral("applications-graphics-symbolic"),
                      QStringLiteral("palette.svg"));
}

QIcon copyIcon() {
    return themedIcon(QStringLiteral("edit-copy-symbolic"), QStringLiteral("copy.svg"));
}

QIcon copiedIcon() {
    return themedIcon(QStringLiteral("object-select-symbolic"), QStringLiteral("checkmark.svg"));
}

QIcon saveScreenshotIcon() {
    return themedIcon(QStringLiteral("document-save-symbolic"), QStringLiteral("save.svg"));
}

QIcon hintArrowIcon() {
    return themedIcon(QStringLiteral("go-next-symbolic"), QStringLiteral("arrow-right.svg"));
}

} // namespace cadrelle
