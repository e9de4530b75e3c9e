#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// One release offered by the update feed.
struct AppcastItem {
    std::string version;      // numeric, compared with the running version
    std::string shortVersion; // shown to the user
    std::string notes;        // release notes text
    std::string link;         // download page for installations that can't update
    std::string url;          // HTTPS address of the .tar.gz archive
    std::int64_t length = 0;  // the archive's size in bytes
    QByteArray signature;     // Ed25519 signature of the archive, 64 bytes
};

// The update feed: an RSS 2.0 document whose items carry the release fields
// in the sparkle namespace. Reading refuses oversized documents and any
// document type declaration, so no entity is ever expanded.
class Appcast {
public:
    static constexpr qsizetype maximumSize = 1024 * 1024;

    // Reads `document`; items with a missing or malformed field are left out.
    // Throws AppError when the document is too large or isn't an RSS feed.
    static Appcast parse(const QByteArray& document);

    const std::vector<AppcastItem>& items() const { return items_; }

    // The newest item above `runningVersion`, if any.
    std::optional<AppcastItem> newestAbove(const std::string& runningVersion) const;

private:
    std::vector<AppcastItem> items_;
};

} // namespace cadrelle
