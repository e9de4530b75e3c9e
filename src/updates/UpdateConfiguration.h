#pragma once

#include "core/BuildInformation.h"

#include <string>

namespace cadrelle {

// Where updates come from: the feed's address and the public key its
// signatures are checked with, fixed when the program is built.
struct UpdateConfiguration {
    std::string feedURL;     // "SUFeedURL"
    std::string publicEDKey; // "SUPublicEDKey": Base64 of an Ed25519 public key
    // PEM file of certificate authorities trusted for the feed and downloads
    // besides the system's (empty: the system's only). Test builds point it
    // at the authority of a local server.
    std::string extraCertificateAuthorities;

    // The values given to the program's build (empty in a build without
    // updates).
    static UpdateConfiguration of(const BuildInformation& information);

    // Whether the feed is an HTTPS address with a host and the key decodes to
    // exactly 32 bytes.
    bool isSound() const;
};

} // namespace cadrelle
