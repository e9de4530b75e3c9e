#include "video/hevc/QuickTimeBox.h"

#include "video/hevc/HevcStreamError.h"

namespace cadrelle {

namespace {

// Bytes of fixed fields before the children of the boxes that have some.
std::size_t childOffset(std::uint32_t type) {
    switch (type) {
    case fourCC("moov"):
    case fourCC("trak"):
    case fourCC("mdia"):
    case fourCC("minf"):
    case fourCC("stbl"):
        return 0;
    case fourCC("stsd"):
        return 8; // version, flags, entry_count
    case fourCC("hvc1"):
        return 78; // VisualSampleEntry fields
    default:
        return static_cast<std::size_t>(-1);
    }
}

std::uint64_t readBig(std::span<const std::uint8_t> bytes, std::size_t at, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
    }
    return value;
}

void writeBig(std::vector<std::uint8_t>& out, std::uint64_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

} // namespace

std::uint64_t QuickTimeBox::size() const {
    std::uint64_t total = 8 + payload.size();
    for (const auto& box : children) {
        total += box.size();
    }
    return total > 0xffffffffu ? total + 8 : total;
}

void QuickTimeBox::serialize(std::vector<std::uint8_t>& out) const {
    const std::uint64_t total = size();
    if (total > 0xffffffffu) {
        writeBig(out, 1, 4);
        writeBig(out, type, 4);
        writeBig(out, total, 8);
    } else {
        writeBig(out, total, 4);
        writeBig(out, type, 4);
    }
    out.insert(out.end(), payload.begin(), payload.end());
    for (const auto& box : children) {
        box.serialize(out);
    }
}

QuickTimeBox* QuickTimeBox::child(std::string_view name) {
    for (auto& box : children) {
        if (box.type == fourCC(name)) {
            return &box;
        }
    }
    return nullptr;
}

QuickTimeBox QuickTimeBox::parse(std::uint32_t type, std::span<const std::uint8_t> payload) {
    QuickTimeBox box;
    box.type = type;
    const std::size_t offset = childOffset(type);
    if (offset == static_cast<std::size_t>(-1) || offset > payload.size()) {
        box.payload.assign(payload.begin(), payload.end());
        return box;
    }
    box.hasChildren = true;
    box.payload.assign(payload.begin(), payload.begin() + static_cast<long>(offset));
    std::size_t at = offset;
    while (at < payload.size()) {
        if (payload.size() - at < 8) {
            throw HevcStreamError("the movie header is damaged");
        }
        std::uint64_t size = readBig(payload, at, 4);
        const auto childType = static_cast<std::uint32_t>(readBig(payload, at + 4, 4));
        std::size_t header = 8;
        if (size == 1) {
            if (payload.size() - at < 16) {
                throw HevcStreamError("the movie header is damaged");
            }
            size = readBig(payload, at + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = payload.size() - at;
        }
        if (size < header || size > payload.size() - at) {
            throw HevcStreamError("the movie header is damaged");
        }
        box.children.push_back(parse(
            childType, payload.subspan(at + header, static_cast<std::size_t>(size) - header)));
        at += static_cast<std::size_t>(size);
    }
    return box;
}

} // namespace cadrelle
