#include "JsonLineWriter.h"

#include <nlohmann/json.hpp>

#include <ostream>

namespace cadrelle {

void JsonLineWriter::write(const nlohmann::json& object) {
    const std::string line =
        object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    const std::lock_guard guard(lock_);
    out_ << line << std::flush;
}

} // namespace cadrelle
