#pragma once

#include <string_view>

namespace cadrelle {

// What is fixed when a program is built: its version and where its updates
// come from. Each executable's main() holds its own value, generated from the
// build's settings, and hands it to the command line and the application, so
// test builds can make the same program under another version or update feed
// without compiling the libraries again.
struct BuildInformation {
    std::string_view version;
    std::string_view updateFeedURL;
    // Base64 of the Ed25519 key that signs updates.
    std::string_view updatePublicKey;
    // PEM file of extra certificate authorities trusted for updates (tests).
    std::string_view updateCertificateAuthorities;
};

} // namespace cadrelle
