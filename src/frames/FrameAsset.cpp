#include "FrameAsset.h"

#include "core/JsonInteger.h"

#include <nlohmann/json.hpp>

namespace cadrelle {

std::string frameKey(const FrameAsset& asset) {
    return asset.name + " \u00B7 " + (asset.isLandscape() ? "Landscape" : "Portrait");
}

void to_json(nlohmann::json& json, const PixelRect& rect) {
    json = nlohmann::json{
        {"x", rect.x}, {"y", rect.y}, {"width", rect.width}, {"height", rect.height}};
}

void from_json(const nlohmann::json& json, PixelRect& rect) {
    getInteger(json.at("x"), rect.x);
    getInteger(json.at("y"), rect.y);
    getInteger(json.at("width"), rect.width);
    getInteger(json.at("height"), rect.height);
}

void to_json(nlohmann::json& json, const FrameAsset& asset) {
    json = nlohmann::json{{"id", asset.id},
                          {"name", asset.name},
                          {"model", asset.model},
                          {"color", asset.color},
                          {"file", asset.file},
                          {"screen", asset.screen},
                          {"pixelWidth", asset.pixelWidth},
                          {"pixelHeight", asset.pixelHeight},
                          {"digest", asset.digest}};
    if (asset.isBundled) {
        json["isBundled"] = *asset.isBundled;
    }
}

void from_json(const nlohmann::json& json, FrameAsset& asset) {
    json.at("id").get_to(asset.id);
    json.at("name").get_to(asset.name);
    json.at("model").get_to(asset.model);
    json.at("color").get_to(asset.color);
    json.at("file").get_to(asset.file);
    json.at("screen").get_to(asset.screen);
    getInteger(json.at("pixelWidth"), asset.pixelWidth);
    getInteger(json.at("pixelHeight"), asset.pixelHeight);
    json.at("digest").get_to(asset.digest);
    asset.isBundled.reset();
    if (const auto found = json.find("isBundled"); found != json.end() && !found->is_null()) {
        asset.isBundled = found->get<bool>();
    }
}

} // namespace cadrelle
