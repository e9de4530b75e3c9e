#include "FileStamp.h"

#include "JsonInteger.h"
#include "JsonSupport.h"

#include <nlohmann/json.hpp>
#include <sys/stat.h>

namespace cadrelle {

namespace {

std::optional<FileStamp> stampOf(const struct stat& info) {
    if (!S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    const double unixSeconds =
        static_cast<double>(info.st_mtim.tv_sec) + static_cast<double>(info.st_mtim.tv_nsec) / 1e9;
    return FileStamp{static_cast<std::uint64_t>(info.st_size),
                     unixSeconds - kReferenceDateUnixSeconds};
}

} // namespace

std::optional<FileStamp> FileStamp::of(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return stampOf(info);
}

std::optional<FileStamp> FileStamp::ofEntry(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return stampOf(info);
}

void to_json(nlohmann::json& json, const FileStamp& stamp) {
    json = nlohmann::json{{"size", stamp.size}, {"modified", stamp.modified}};
}

void from_json(const nlohmann::json& json, FileStamp& stamp) {
    getInteger(json.at("size"), stamp.size);
    json.at("modified").get_to(stamp.modified);
}

} // namespace cadrelle
