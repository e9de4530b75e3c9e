#include "StoredPath.h"

#include "core/JsonSupport.h"

#include <QUtf8StringView>

#include <stdexcept>
#include <string_view>

namespace cadrelle {

namespace {

constexpr std::string_view kBytesPrefix("\0bytes:", 7);

[[noreturn]] void throwDamaged() {
    throw nlohmann::json::other_error::create(
        502, "A stored path is neither text nor Base64 bytes.", nullptr);
}

} // namespace

std::string storedPath(const std::string& path) {
    if (QUtf8StringView(path).isValidUtf8()) {
        return path;
    }
    return std::string(kBytesPrefix) + base64Encode({path.begin(), path.end()});
}

std::string pathFromStored(const std::string& text) {
    if (text.find('\0') == std::string::npos) {
        return text;
    }
    if (text.rfind(kBytesPrefix, 0) != 0) {
        throwDamaged();
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = base64Decode(text.substr(kBytesPrefix.size()));
    } catch (const std::invalid_argument&) {
        throwDamaged();
    }
    std::string path(bytes.begin(), bytes.end());
    if (path.find('\0') != std::string::npos) {
        throwDamaged();
    }
    return path;
}

} // namespace cadrelle
