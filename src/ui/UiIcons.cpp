#include "UiIcons.h"

namespace cadrelle {
namespace {

QIcon themedIcon(const QString& themeName, const QString& bundledFile) {
    return QIcon::fromTheme(themeName, QIcon(QStringLiteral(":/cadrelle/icons/") + bundledFile));
}

} // namespace

QIcon folderIcon() {
    return themedIcon(QStringLiteral("folder"), QStringLiteral("folder.svg"));
}

QIcon saveIcon() {
    return themedIcon(QStringLiteral("document-save"), QStringLiteral("save.svg"));
}

QIcon shieldIcon() {
    return themedIcon(QStringLiteral("security-high"), QStringLiteral("shield.svg"));
}

QIcon warningIcon() {
    return themedIcon(QStringLiteral("dialog-warning"), QStringLiteral("warning.svg"));
}

} // namespace cadrelle
