#include "JsonSupport.h"

#include "AppError.h"
#include "FileIO.h"

#include <QByteArray>

#include <stdexcept>

namespace cadrelle {

double secondsSinceReferenceDate(Clock::time_point time) {
    const auto sinceEpoch = std::chrono::duration<double>(time.time_since_epoch()).count();
    return sinceEpoch - kReferenceDateUnixSeconds;
}

Clock::time_point timeFromReferenceSeconds(double seconds) {
    const std::chrono::duration<double> sinceEpoch(seconds + kReferenceDateUnixSeconds);
    return Clock::time_point(std::chrono::duration_cast<Clock::duration>(sinceEpoch));
}

std::string base64Encode(const std::vector<std::uint8_t>& bytes) {
    const QByteArray raw(reinterpret_cast<const char*>(bytes.data()),
                         static_cast<qsizetype>(bytes.size()));
    return raw.toBase64().toStdString();
}

std::vector<std::uint8_t> base64Decode(const std::string& text) {
    const auto result = QByteArray::fromBase64Encoding(QByteArray::fromStdString(text),
                                                       QByteArray::AbortOnBase64DecodingErrors);
    if (!result) {
        throw std::invalid_argument("Invalid Base64 data.");
    }
    return {result.decoded.begin(), result.decoded.end()};
}

void throwJsonFileError(const std::filesystem::path& path) {
    try {
        throw;
    } catch (const nlohmann::json::exception&) {
        throw AppError(path.string() + ": " + kJsonFormatError);
    } catch (const AppError& error) {
        throw AppError(path.string() + ": " + error.message());
    }
}

std::string jsonText(const nlohmann::json& value, bool pretty) {
    return pretty ? value.dump(2) + "\n" : value.dump();
}

void writeJsonFile(const nlohmann::json& value, const std::filesystem::path& path, bool pretty) {
    writeAtomically(jsonText(value, pretty), path);
}

} // namespace cadrelle
