#include "FileError.h"

#include <cerrno>

namespace cadrelle {

FileError::FileError(const std::filesystem::path& path, std::error_code code)
    : std::system_error(code, path.string()), path_(path) {}

FileError::FileError(const std::filesystem::path& path, int errnoValue)
    : FileError(path, std::error_code(errnoValue, std::generic_category())) {}

void throwFileError(const std::filesystem::path& path) {
    throw FileError(path, errno);
}

} // namespace cadrelle
