#include "TempDir.h"

#include "core/FileIO.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

namespace cadrelle::test {

TempDir::TempDir()
    : path_(std::filesystem::temp_directory_path() / ("cadrelle-test-" + newUuidString())) {
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    removeQuietly(path_);
}

std::vector<std::string> TempDir::entries(const std::filesystem::path& sub) const {
    return entriesOf(path_ / sub);
}

std::vector<std::string> entriesOf(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool hasTemporaryItem(const std::filesystem::path& folder, const std::string& except) {
    return std::ranges::any_of(entriesOf(folder), [&](const std::string& name) {
        return name.starts_with(".lumivane-") && name != except;
    });
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::stringstream buffer;
    buffer << stream.rdbuf();
    return buffer.str();
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream stream(path, std::ios::binary);
    stream << text;
}

} // namespace cadrelle::test
