#pragma once

#include <QString>

#include <string>

namespace cadrelle {

// The first `limit` user-perceived characters (grapheme clusters) of a text,
// so that a cut never splits a letter from its accent or a multi-byte
// sequence. A shorter text is returned whole.
QString firstCharacters(const QString& text, qsizetype limit);
std::string firstCharacters(const std::string& text, qsizetype limit);

} // namespace cadrelle
