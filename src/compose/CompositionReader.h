#pragma once

#include "compose/Composition.h"

#include <nlohmann/json.hpp>

#include <filesystem>

namespace cadrelle {

// Reads a composition file (the README describes its fields). Every error
// is an AppError naming the file: a JSON syntax error with its line and
// column, anything else with the field it is about.
Composition readComposition(const std::filesystem::path& path);

// Reads a JSON file of at most 1 MB; a syntax error is "<path>, line L,
// column C: <what is wrong>.".
nlohmann::json readJsonDocument(const std::filesystem::path& path);

} // namespace cadrelle
