#include "UiIcons.h"

namespace cadrelle {

QIcon bundledIcon(const QString& file) {
    return QIcon(QStringLiteral(":/cadrelle/icons/") + file);
}

QIcon themedIcon(const QString& themeName, const QString& bundledFile) {
    return QIcon::fromTheme(themeName, bundledIcon(bundledFile));
}

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

QIcon infoIcon() {
    return themedIcon(QStringLiteral("dialog-information"), QStringLiteral("info.svg"));
}

QIcon addIcon() {
    return themedIcon(QStringLiteral("list-add"), QStringLiteral("plus.svg"));
}

QIcon playIcon() {
    return themedIcon(QStringLiteral("media-playback-start"), QStringLiteral("play.svg"));
}

QIcon pauseIcon() {
    return themedIcon(QStringLiteral("media-playback-pause"), QStringLiteral("pause.svg"));
}

} // namespace cadrelle
