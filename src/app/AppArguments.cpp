#include "AppArguments.h"

#include "core/AppError.h"

#include <QStandardPaths>

namespace cadrelle {

AppArguments AppArguments::parse(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& currentFolder) {
    AppArguments result;
    const auto absolute = [&](const std::string& word) {
        return currentFolder / std::filesystem::path(word);
    };
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::string& word = arguments[index];
        if (word == "--background") {
            result.background = true;
        } else if (word == "--data-dir") {
            if (index + 1 >= arguments.size()) {
                throw AppError("Missing value for " + word);
            }
            result.dataDirectory = absolute(arguments[++index]);
        } else {
            result.files.push_back(absolute(word));
        }
    }
    return result;
}

std::filesystem::path AppArguments::dataFolder() const {
    if (dataDirectory) {
        return *dataDirectory;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return std::filesystem::path(data.toStdString()) / "Lumivane";
}

} // namespace cadrelle
