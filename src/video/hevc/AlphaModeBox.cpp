#include "video/hevc/AlphaModeBox.h"

#include "core/FileError.h"
#include "core/FileIO.h"
#include "video/hevc/HevcStreamError.h"
#include "video/hevc/QuickTimeBox.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace cadrelle {

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

struct TopBox {
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t header = 0;
};

std::uint64_t readBig(const std::uint8_t* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

void readExactly(std::FILE* file, void* data, std::size_t size, const std::filesystem::path& path) {
    if (std::fread(data, 1, size, file) != size) {
        if (std::ferror(file)) {
            throwFileError(path);
        }
        throw HevcStreamError("the movie ends early");
    }
}

void writeAll(std::FILE* file, const void* data, std::size_t size,
              const std::filesystem::path& path) {
    if (std::fwrite(data, 1, size, file) != size) {
        throwFileError(path);
    }
}

void seek(std::FILE* file, std::uint64_t offset, const std::filesystem::path& path) {
    if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) {
        throwFileError(path);
    }
}

std::vector<TopBox> topLevelBoxes(std::FILE* file, const std::filesystem::path& path) {
    seek(file, 0, path);
    if (fseeko(file, 0, SEEK_END) != 0) {
        throwFileError(path);
    }
    const auto fileSize = static_cast<std::uint64_t>(ftello(file));
    std::vector<TopBox> boxes;
    std::uint64_t at = 0;
    while (at < fileSize) {
        std::uint8_t header[16];
        if (fileSize - at < 8) {
            throw HevcStreamError("the movie ends early");
        }
        seek(file, at, path);
        readExactly(file, header, 8, path);
        TopBox box{static_cast<std::uint32_t>(readBig(header + 4, 4)), at, readBig(header, 4), 8};
        if (box.size == 1) {
            readExactly(file, header + 8, 8, path);
            box.size = readBig(header + 8, 8);
            box.header = 16;
        } else if (box.size == 0) {
            box.size = fileSize - at;
        }
        if (box.size < box.header || box.size > fileSize - at) {
            throw HevcStreamError("the movie ends early");
        }
        boxes.push_back(box);
        at += box.size;
    }
    return boxes;
}

void shiftChunkOffsets(QuickTimeBox& box, std::uint64_t from, std::int64_t delta) {
    const bool wide = box.type == fourCC("co64");
    if (box.type == fourCC("stco") || wide) {
        auto& p = box.payload;
        if (p.size() < 8) {
            throw HevcStreamError("the movie header is damaged");
        }
        const std::uint64_t count = readBig(p.data() + 4, 4);
        const std::size_t width = wide ? 8 : 4;
        if ((p.size() - 8) / width < count) {
            throw HevcStreamError("the movie header is damaged");
        }
        for (std::size_t i = 0; i < count; ++i) {
            std::uint8_t* entry = p.data() + 8 + i * width;
            std::uint64_t offset = readBig(entry, static_cast<int>(width));
            if (offset >= from) {
                offset += static_cast<std::uint64_t>(delta);
            }
            if (!wide && offset > 0xffffffffu) {
                throw HevcStreamError("the movie is too large for its chunk offsets");
            }
            for (std::size_t b = 0; b < width; ++b) {
                entry[b] = static_cast<std::uint8_t>(offset >> (8 * (width - 1 - b)));
            }
        }
    }
    for (auto& child : box.children) {
        shiftChunkOffsets(child, from, delta);
    }
}

int addToSampleEntries(QuickTimeBox& moov) {
    int added = 0;
    for (auto& trak : moov.children) {
        QuickTimeBox* box = trak.type == fourCC("trak") ? trak.child("mdia") : nullptr;
        for (const char* name : {"minf", "stbl", "stsd"}) {
            box = box ? box->child(name) : nullptr;
        }
        if (!box) {
            continue;
        }
        for (auto& entry : box->children) {
            if (entry.type == fourCC("hvc1") && entry.hasChildren && !entry.child("almo")) {
                QuickTimeBox almo;
                almo.type = fourCC("almo");
                almo.payload = {0x00, 0x00, 0x01, 0x02};
                entry.children.push_back(std::move(almo));
                ++added;
            }
        }
    }
    return added;
}

} // namespace

void addAlphaModeBox(const std::filesystem::path& movie, const CaptureExportControl& control) {
    const std::filesystem::path& source = movie;
    const std::filesystem::path destination = movie.parent_path() / temporaryItemName();
    File in(std::fopen(source.c_str(), "rb"), std::fclose);
    if (!in) {
        throwFileError(source);
    }
    const std::vector<TopBox> boxes = topLevelBoxes(in.get(), source);
    const TopBox* moovBox = nullptr;
    for (const auto& box : boxes) {
        if (box.type == fourCC("moov")) {
            moovBox = &box;
        }
    }
    if (!moovBox) {
        throw HevcStreamError("the movie has no header");
    }
    std::vector<std::uint8_t> moovBytes(moovBox->size - moovBox->header);
    seek(in.get(), moovBox->offset + moovBox->header, source);
    readExactly(in.get(), moovBytes.data(), moovBytes.size(), source);
    QuickTimeBox moov = QuickTimeBox::parse(fourCC("moov"), moovBytes);
    if (addToSampleEntries(moov) == 0) {
        throw HevcStreamError("the movie has no HEVC sample entry");
    }
    const auto delta =
        static_cast<std::int64_t>(moov.size()) - static_cast<std::int64_t>(moovBox->size);
    shiftChunkOffsets(moov, moovBox->offset + moovBox->size, delta);
    std::vector<std::uint8_t> newMoov;
    moov.serialize(newMoov);

    File out(std::fopen(destination.c_str(), "wbx"), std::fclose);
    if (!out) {
        throwFileError(destination);
    }
    ScopedRemoval partial(destination);
    std::vector<std::uint8_t> buffer(1 << 20);
    for (const auto& box : boxes) {
        if (&box == moovBox) {
            writeAll(out.get(), newMoov.data(), newMoov.size(), destination);
            continue;
        }
        seek(in.get(), box.offset, source);
        for (std::uint64_t left = box.size; left > 0;) {
            const auto chunk =
                static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
            control.checkCancelled();
            readExactly(in.get(), buffer.data(), chunk, source);
            writeAll(out.get(), buffer.data(), chunk, destination);
            left -= chunk;
        }
    }
    if (std::fflush(out.get()) != 0) {
        throwFileError(destination);
    }
    if (std::fclose(out.release()) != 0) {
        throwFileError(destination);
    }
    if (std::rename(destination.c_str(), movie.c_str()) != 0) {
        throwFileError(movie);
    }
    partial.release();
}

} // namespace cadrelle
