#include "FirstCharacters.h"

#include <QStringView>
#include <QTextBoundaryFinder>

namespace cadrelle {

QString firstCharacters(const QString& text, qsizetype limit, std::size_t maxUtf8Bytes) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    qsizetype end = 0;
    std::size_t bytes = 0;
    while (count < limit) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1) {
            break;
        }
        bytes += static_cast<std::size_t>(QStringView(text).mid(end, next - end).toUtf8().size());
        if (bytes > maxUtf8Bytes) {
            break;
        }
        end = next;
        ++count;
    }
    return text.left(end);
}

std::string firstCharacters(const std::string& text, qsizetype limit, std::size_t maxUtf8Bytes) {
    return firstCharacters(QString::fromStdString(text), limit, maxUtf8Bytes).toStdString();
}

} // namespace cadrelle
