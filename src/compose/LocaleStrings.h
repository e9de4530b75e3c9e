#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace cadrelle {

// One locale's texts: a JSON object of key → text, read from its strings file.
class LocaleStrings {
public:
    // Reads the file; JSON errors name the file, line and column.
    LocaleStrings(std::string locale, const std::filesystem::path& file);

    // The text of `key`; throws "<file>: The <locale> strings have no "<key>"."
    const std::string& text(const std::string& key) const;

private:
    std::string locale_;
    std::filesystem::path file_;
    std::map<std::string, std::string> texts_;
};

} // namespace cadrelle
