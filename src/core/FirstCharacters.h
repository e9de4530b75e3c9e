#pragma once

#include <QString>

#include <cstddef>
#include <limits>
#include <string>

namespace cadrelle {

// The first `limit` user-perceived characters (grapheme clusters) of a text,
// so that a cut never splits a letter from its accent or a multi-byte
// sequence. A shorter text is returned whole. With `maxUtf8Bytes`, the cut
// also stops before the first character that would take the result past that
// many bytes of UTF-8.
QString firstCharacters(const QString& text, qsizetype limit,
                        std::size_t maxUtf8Bytes = std::numeric_limits<std::size_t>::max());
// Bytes that are not UTF-8 come back as U+FFFD.
std::string firstCharacters(const std::string& text, qsizetype limit,
                            std::size_t maxUtf8Bytes = std::numeric_limits<std::size_t>::max());

} // namespace cadrelle
