#include "FrameSelection.h"

#include "core/AppError.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <map>

namespace cadrelle {

namespace {

bool isPortrait(const FrameAsset& asset) {
    return asset.screen.width <= asset.screen.height;
}

// Whether `model` occurs in `fileName`, ignoring letter case. An empty model
// names nothing.
bool fileNameMentions(const QString& fileName, const std::string& model) {
    return !model.empty() && fileName.contains(QString::fromStdString(model), Qt::CaseInsensitive);
}

// The number of characters (Unicode code points) of a model name.
qsizetype characterCount(const std::string& model) {
    return QString::fromStdString(model).toUcs4().size();
}

// The candidates whose model the file name mentions, keeping only the
// longest such model, so that "iPhone 18 Pro Max" beats "iPhone 18 Pro".
std::vector<FrameAsset> namedInFileName(const std::vector<FrameAsset>& candidates,
                                        const std::string& fileName) {
    const QString name = QString::fromStdString(fileName);
    std::vector<FrameAsset> named;
    qsizetype longest = 0;
    for (const FrameAsset& asset : candidates) {
        if (fileNameMentions(name, asset.model)) {
            named.push_back(asset);
            longest = std::max(longest, characterCount(asset.model));
        }
    }
    std::erase_if(named, [longest](const FrameAsset& asset) {
        return characterCount(asset.model) != longest;
    });
    return named;
}

const FrameAsset* firstWhere(const std::vector<FrameAsset>& assets, const auto& predicate) {
    const auto found = std::find_if(assets.begin(), assets.end(), predicate);
    return found == assets.end() ? nullptr : &*found;
}

} // namespace

FrameAsset selectFrame(CaptureSize size, const std::string& fileName,
                       const std::vector<FrameAsset>& assets,
                       const std::optional<std::string>& selectedID, bool automaticallyMatch) {
    const FrameAsset* preferred =
        selectedID ? firstWhere(assets, [&](const FrameAsset& a) { return a.id == *selectedID; })
                   : nullptr;
    if (!automaticallyMatch) {
        if (preferred == nullptr) {
            throw AppError("Choose a frame in Settings.");
        }
        return *preferred;
    }

    std::vector<FrameAsset> candidates;
    std::copy_if(assets.begin(), assets.end(), std::back_inserter(candidates),
                 [&](const FrameAsset& asset) {
                     return asset.screen.width == size.width && asset.screen.height == size.height;
                 });
    if (candidates.empty()) {
        throw AppError("Import a frame for " + std::to_string(size.width) + " \u00D7 " +
                       std::to_string(size.height) + " captures.");
    }
    if (auto named = namedInFileName(candidates, fileName); !named.empty()) {
        candidates = std::move(named);
    }

    if (preferred != nullptr) {
        if (firstWhere(candidates, [&](const FrameAsset& a) { return a.id == preferred->id; })) {
            return *preferred;
        }
        const auto sameModel = [&](const FrameAsset& a) { return a.model == preferred->model; };
        if (const FrameAsset* model = firstWhere(candidates, sameModel)) {
            const FrameAsset* finish = firstWhere(candidates, [&](const FrameAsset& a) {
                return sameModel(a) && a.color == preferred->color;
            });
            return finish != nullptr ? *finish : *model;
        }
    }

    const std::string& firstModel = candidates.front().model;
    if (!std::all_of(candidates.begin(), candidates.end(),
                     [&](const FrameAsset& a) { return a.model == firstModel; })) {
        throw AppError("Multiple device models use this resolution. Choose the matching preferred "
                       "frame in Settings or include the device model in the capture filename.");
    }
    if (preferred != nullptr) {
        if (const FrameAsset* finish = firstWhere(
                candidates, [&](const FrameAsset& a) { return a.color == preferred->color; })) {
            return *finish;
        }
    }
    return candidates.front();
}

std::optional<FrameAsset> replacementFrame(const std::optional<FrameAsset>& frame,
                                           const std::vector<FrameAsset>& assets) {
    if (frame) {
        std::vector<FrameAsset> sameDevice;
        std::copy_if(assets.begin(), assets.end(), std::back_inserter(sameDevice),
                     [&](const FrameAsset& a) {
                         return a.model == frame->model && isPortrait(a) == isPortrait(*frame);
                     });
        if (!sameDevice.empty()) {
            static const std::map<std::string, std::string> finishes = {
                {"Graphite", "Black"}, {"Pearl", "Silver"}, {"Midnight", "Black"}};
            const auto mapped = finishes.find(frame->color);
            const std::string& target = mapped == finishes.end() ? frame->color : mapped->second;
            const FrameAsset* finish =
                firstWhere(sameDevice, [&](const FrameAsset& a) { return a.color == target; });
            return finish != nullptr ? *finish : sameDevice.front();
        }
    }
    if (assets.empty()) {
        return std::nullopt;
    }
    const FrameAsset* standard = firstWhere(assets, [](const FrameAsset& a) {
        return a.model == "iPhone 18 Pro" && a.color == "Black" && isPortrait(a);
    });
    return standard != nullptr ? *standard : assets.front();
}

} // namespace cadrelle
