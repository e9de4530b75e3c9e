#include "CompositionReader.h"

#include "core/AppError.h"
#include "core/FileIO.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>

namespace cadrelle {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr std::uint64_t kMaxCompositionBytes = 1'000'000;

// A field's failure, caught and reworded with the file's name.
struct FieldError {
    std::string sentence;
};

// One JSON object being read: each field taken is noted, so that fields left
// over (most likely misspelt) can be refused.
class ObjectReader {
public:
    ObjectReader(const json& value, std::string where) : value_(value), where_(std::move(where)) {
        if (!value.is_object()) {
            fail("must be an object");
        }
    }

    const json* find(const std::string& key) {
        taken_.insert(key);
        const auto found = value_.find(key);
        return found == value_.end() ? nullptr : &*found;
    }
    std::string path(const std::string& key) const {
        return where_.empty() ? key : where_ + "." + key;
    }

    double number(const std::string& key, double fallback, double low, double high) {
        const json* field = find(key);
        if (field == nullptr) {
            return fallback;
        }
        if (!field->is_number() || field->get<double>() < low || field->get<double>() > high) {
            throw FieldError{path(key) + " must be a number from " + text(low) + " to " +
                             text(high)};
        }
        return field->get<double>();
    }
    std::optional<std::string> optionalString(const std::string& key) {
        const json* field = find(key);
        if (field == nullptr) {
            return std::nullopt;
        }
        if (!field->is_string() || field->get<std::string>().empty()) {
            throw FieldError{path(key) + " must be a non-empty string"};
        }
        return field->get<std::string>();
    }
    std::string string(const std::string& key) {
        auto value = optionalString(key);
        if (!value) {
            throw FieldError{path(key) + " is missing"};
        }
        return *value;
    }

    // Refuses fields nobody took.
    void finish() const {
        for (const auto& item : value_.items()) {
            if (taken_.count(item.key()) == 0) {
                throw FieldError{"unknown field " + path(item.key())};
            }
        }
    }

    [[noreturn]] void fail(const std::string& what) const {
        throw FieldError{(where_.empty() ? std::string("the composition") : where_) + " " + what};
    }

private:
    static std::string text(double value) {
        std::string result = std::to_string(value);
        result.erase(result.find_last_not_of('0') + 1);
        if (result.back() == '.') {
            result.pop_back();
        }
        return result;
    }

    const json& value_;
    std::string where_;
    std::set<std::string> taken_;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// "#rrggbb" or "#rrggbbaa".
Rgba colorValue(const json& value, const std::string& where) {
    const std::string text = value.is_string() ? value.get<std::string>() : std::string();
    const bool shaped =
        (text.size() == 7 || text.size() == 9) && text[0] == '#' &&
        std::all_of(text.begin() + 1, text.end(), [](char c) { return hexDigit(c) >= 0; });
    if (!shaped) {
        throw FieldError{where + " must be a colour written #rrggbb or #rrggbbaa"};
    }
    Rgba color = 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        color = color << 4 | static_cast<Rgba>(hexDigit(text[i]));
    }
    return text.size() == 7 ? color << 8 | 0xFF : color;
}

Rgba color(ObjectReader& reader, const std::string& key, Rgba fallback) {
    const json* field = reader.find(key);
    return field == nullptr ? fallback : colorValue(*field, reader.path(key));
}

fs::path resolved(const fs::path& base, const std::string& path) {
    return fs::path(path).is_absolute() ? fs::path(path) : base / path;
}

Background readBackground(const json& value, const fs::path& base) {
    ObjectReader reader(value, "background");
    Background background;
    const json* gradient = reader.find("gradient");
    const std::optional<std::string> image = reader.optionalString("image");
    const json* solid = reader.find("color");
    if ((gradient != nullptr) + image.has_value() + (solid != nullptr) != 1) {
        reader.fail("must have one of color, gradient or image");
    }
    if (solid != nullptr) {
        background.color = colorValue(*solid, "background.color");
    } else if (image) {
        background.kind = Background::Kind::image;
        background.image = resolved(base, *image);
    } else {
        background.kind = Background::Kind::gradient;
        ObjectReader inner(*gradient, "background.gradient");
        background.angle = inner.number("angle", 180, -360, 360);
        const json* stops = inner.find("stops");
        if (stops == nullptr || !stops->is_array() || stops->size() < 2) {
            inner.fail("needs stops: a list of two or more colours");
        }
        for (std::size_t i = 0; i < stops->size(); ++i) {
            const json& stop = (*stops)[i];
            const std::string where = "background.gradient.stops[" + std::to_string(i) + "]";
            const double even = static_cast<double>(i) / static_cast<double>(stops->size() - 1);
            if (stop.is_string()) {
                background.stops.push_back({colorValue(stop, where), even});
                continue;
            }
            ObjectReader item(stop, where);
            const json* stopColor = item.find("color");
            if (stopColor == nullptr) {
                item.fail("needs a color");
            }
            background.stops.push_back(
                {colorValue(*stopColor, where + ".color"), item.number("position", even, 0, 1)});
            item.finish();
        }
        inner.finish();
    }
    reader.finish();
    return background;
}

TextStyle readTextStyle(const json* value, const std::string& where, TextStyle style,
                        const fs::path& base) {
    if (value == nullptr) {
        return style;
    }
    ObjectReader reader(*value, where);
    style.font = reader.optionalString("font").value_or(style.font);
    if (auto file = reader.optionalString("fontFile")) {
        style.fontFile = resolved(base, *file);
    }
    style.weight = static_cast<int>(reader.number("weight", style.weight, 100, 900));
    style.color = color(reader, "color", style.color);
    style.highlightColor = color(reader, "highlightColor", style.highlightColor);
    style.size = reader.number("size", style.size, 0.001, 1);
    style.minimumSize =
        reader.number("minimumSize", std::min(style.minimumSize, style.size), 0.001, style.size);
    style.lineSpacing = reader.number("lineSpacing", style.lineSpacing, 0.5, 4);
    style.maximumLines = static_cast<int>(reader.number("maxLines", style.maximumLines, 1, 20));
    if (auto alignment = reader.optionalString("alignment")) {
        static const std::map<std::string, TextStyle::Alignment> names = {
            {"center", TextStyle::Alignment::center},
            {"leading", TextStyle::Alignment::leading},
            {"trailing", TextStyle::Alignment::trailing},
            {"left", TextStyle::Alignment::left},
            {"right", TextStyle::Alignment::right}};
        const auto found = names.find(*alignment);
        if (found == names.end()) {
            throw FieldError{reader.path("alignment") +
                             " must be center, leading, trailing, left or right"};
        }
        style.alignment = found->second;
    }
    reader.finish();
    return style;
}

Caption readCaption(const json* value, const fs::path& base) {
    Caption caption;
    caption.title.size = 0.032;
    caption.title.minimumSize = 0.022;
    caption.title.weight = 700;
    caption.subtitle.size = 0.02;
    caption.subtitle.minimumSize = 0.015;
    caption.subtitle.maximumLines = 3;
    if (value == nullptr) {
        return caption;
    }
    ObjectReader reader(*value, "caption");
    if (auto position = reader.optionalString("position")) {
        if (*position != "top" && *position != "bottom") {
            throw FieldError{"caption.position must be top or bottom"};
        }
        caption.above = *position == "top";
    }
    caption.margin = reader.number("margin", caption.margin, 0, 0.5);
    caption.width = reader.number("width", caption.width, 0.05, 1);
    caption.gap = reader.number("gap", caption.gap, 0, 0.5);
    caption.title = readTextStyle(reader.find("title"), "caption.title", caption.title, base);
    caption.subtitle =
        readTextStyle(reader.find("subtitle"), "caption.subtitle", caption.subtitle, base);
    reader.finish();
    return caption;
}

Device readDevice(const json* value) {
    Device device;
    if (value == nullptr) {
        return device;
    }
    ObjectReader reader(*value, "device");
    device.height = reader.number("height", device.height, 0.05, 1);
    device.width = reader.number("width", device.width, 0.05, 1);
    device.margin = reader.number("margin", device.margin, -0.5, 0.5);
    device.gap = reader.number("gap", device.gap, 0, 0.5);
    device.offsetX = reader.number("offsetX", 0, -1, 1);
    device.offsetY = reader.number("offsetY", 0, -1, 1);
    if (const json* shadow = reader.find("shadow"); shadow != nullptr && !shadow->is_null()) {
        ObjectReader inner(*shadow, "device.shadow");
        Shadow result;
        result.color = color(inner, "color", result.color);
        result.blur = inner.number("blur", result.blur, 0, 0.2);
        result.offsetX = inner.number("offsetX", result.offsetX, -0.2, 0.2);
        result.offsetY = inner.number("offsetY", result.offsetY, -0.2, 0.2);
        inner.finish();
        device.shadow = result;
    }
    reader.finish();
    return device;
}

template <typename T>
std::vector<T> readList(const json* value, const std::string& where,
                        const std::function<T(const json&, const std::string&)>& item) {
    if (value == nullptr || !value->is_array() || value->empty()) {
        throw FieldError{where + " must be a list of at least one item"};
    }
    std::vector<T> items;
    for (std::size_t i = 0; i < value->size(); ++i) {
        items.push_back(item((*value)[i], where + "[" + std::to_string(i) + "]"));
    }
    return items;
}

Composition readFields(const json& document, const fs::path& path) {
    const fs::path base = path.parent_path();
    ObjectReader reader(document, "");
    Composition composition;
    composition.file = path;
    composition.sizes = readList<StoreSize>(
        reader.find("sizes"), "sizes", [](const json& item, const std::string& where) {
            if (!item.is_string()) {
                throw FieldError{where + " must be a size name or WIDTHxHEIGHT"};
            }
            return storeSizeNamed(item.get<std::string>());
        });
    const json* background = reader.find("background");
    composition.background =
        background == nullptr ? Background{} : readBackground(*background, base);
    composition.caption = readCaption(reader.find("caption"), base);
    composition.device = readDevice(reader.find("device"));
    std::set<std::string> screenNames;
    composition.screens = readList<Screen>(
        reader.find("screens"), "screens", [&](const json& item, const std::string& where) {
            ObjectReader screen(item, where);
            Screen result{screen.string("name"), screen.string("capture"), screen.string("title"),
                          screen.optionalString("subtitle")};
            if (result.name.find_first_of("/\\") != std::string::npos ||
                !screenNames.insert(result.name).second) {
                throw FieldError{where + ".name must be unique and name no folder"};
            }
            screen.finish();
            return result;
        });
    const json* locales = reader.find("locales");
    if (locales == nullptr || !locales->is_object() || locales->empty()) {
        throw FieldError{"locales must be an object with at least one locale"};
    }
    for (const auto& item : locales->items()) {
        const std::string where = "locales." + item.key();
        if (item.key().empty() || item.key().find_first_of("/\\") != std::string::npos ||
            item.key() == "." || item.key() == "..") {
            throw FieldError{where + " is not a usable locale name"};
        }
        ObjectReader locale(item.value(), where);
        composition.locales.push_back({item.key(), resolved(base, locale.string("strings")),
                                       resolved(base, locale.string("captures"))});
        locale.finish();
    }
    reader.finish();
    return composition;
}

} // namespace

json readJsonDocument(const fs::path& path) {
    const Bytes bytes = readFile(path, kMaxCompositionBytes);
    try {
        return json::parse(bytes.begin(), bytes.end());
    } catch (const json::parse_error& error) {
        // The error's byte is the 1-based position of the character that
        // could not be read.
        const auto end = bytes.begin() + static_cast<std::ptrdiff_t>(
                                             std::min<std::size_t>(error.byte, bytes.size()));
        const auto lineStart =
            std::find(std::make_reverse_iterator(end), bytes.rend(), '\n').base();
        const auto line = 1 + std::count(bytes.begin(), lineStart, '\n');
        // Columns count characters: UTF-8 continuation bytes are not counted.
        const auto column = std::max<std::ptrdiff_t>(
            1, std::count_if(lineStart, end, [](std::uint8_t b) { return (b & 0xC0) != 0x80; }));
        std::string what = error.what();
        if (const auto colon = what.find(": "); colon != std::string::npos) {
            what = what.substr(colon + 2);
        }
        throw AppError(path.string() + ", line " + std::to_string(line) + ", column " +
                       std::to_string(column) + ": " + what + ".");
    }
}

Composition readComposition(const fs::path& path) {
    const json document = readJsonDocument(path);
    try {
        return readFields(document, path);
    } catch (const FieldError& error) {
        throw AppError(path.string() + ": " + error.sentence + ".");
    } catch (const AppError& error) {
        throw AppError(path.string() + ": " + error.message());
    }
}

} // namespace cadrelle
