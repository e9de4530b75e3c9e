#pragma once

#include "video/hevc/NalUnit.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cadrelle::test {

using FieldDump = std::vector<std::pair<std::string, std::uint64_t>>;

// Every syntax element of a two-layer VPS with a vps_extension (the subset of
// the multi-layer syntax an auxiliary-layer stream uses), in order, ending
// with the trailing bits. Written independently of the builder so that the
// two check each other.
FieldDump dumpVps(const NalUnit& vps);

} // namespace cadrelle::test
