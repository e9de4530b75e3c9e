#include "LocaleStrings.h"

#include "compose/CompositionReader.h"
#include "core/AppError.h"

namespace cadrelle {

LocaleStrings::LocaleStrings(std::string locale, const std::filesystem::path& file)
    : locale_(std::move(locale)), file_(file) {
    const nlohmann::json document = readJsonDocument(file);
    if (!document.is_object()) {
        throw AppError(file.string() + ": The strings file must hold a JSON object of texts.");
    }
    for (const auto& item : document.items()) {
        if (!item.value().is_string()) {
            throw AppError(file.string() + ": \"" + item.key() + "\" must be a text.");
        }
        texts_.emplace(item.key(), item.value().get<std::string>());
    }
}

const std::string& LocaleStrings::text(const std::string& key) const {
    const auto found = texts_.find(key);
    if (found == texts_.end()) {
        throw AppError(file_.string() + ": The " + locale_ + " strings have no \"" + key + "\".");
    }
    return found->second;
}

} // namespace cadrelle
