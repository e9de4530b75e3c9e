#include "FirstCharacters.h"

#include <QTextBoundaryFinder>

namespace cadrelle {

QString firstCharacters(const QString& text, qsizetype limit) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (count < limit && finder.toNextBoundary() != -1) {
        ++count;
    }
    return count < limit ? text : text.left(finder.position());
}

std::string firstCharacters(const std::string& text, qsizetype limit) {
    return firstCharacters(QString::fromStdString(text), limit).toStdString();
}

} // namespace cadrelle
