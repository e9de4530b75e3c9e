#include "ArchiveExtraction.h"

#include "core/AppError.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <string>

namespace cadrelle {
namespace {

struct ReaderDeleter {
    void operator()(archive* handle) const { archive_read_free(handle); }
};
struct WriterDeleter {
    void operator()(archive* handle) const { archive_write_free(handle); }
};
using ArchiveReader = std::unique_ptr<archive, ReaderDeleter>;
using ArchiveWriter = std::unique_ptr<archive, WriterDeleter>;

[[noreturn]] void refuseEntry(const std::string& name) {
    throw AppError("The update was refused because its archive contains an unsafe entry: " + name +
                   ".");
}

[[noreturn]] void damaged() {
    throw AppError("The update couldn't be unpacked because its archive is damaged.");
}

[[noreturn]] void unpackFailed(archive* writer) {
    const char* reason = archive_error_string(writer);
    throw AppError(std::string("The update couldn't be unpacked: ") +
                   (reason ? reason : "the files couldn't be written") + ".");
}

[[noreturn]] void tooLarge() {
    throw AppError("The update was refused because its archive is too large when unpacked.");
}

// Whether `path` is relative and, taken lexically, stays inside the folder it
// is resolved against.
bool staysInside(const std::filesystem::path& path) {
    if (path.empty() || path.has_root_path()) {
        return false;
    }
    const std::filesystem::path normal = path.lexically_normal();
    return !normal.empty() && *normal.begin() != "..";
}

// Checks one entry before anything of it is written.
std::filesystem::path checkedPath(archive_entry* entry) {
    const char* rawName = archive_entry_pathname(entry);
    const std::string name = rawName ? rawName : "";
    const std::filesystem::path path(name);
    for (const auto& part : path) {
        if (part == "..") {
            refuseEntry(name);
        }
    }
    if (!staysInside(path) || archive_entry_hardlink(entry) != nullptr) {
        refuseEntry(name);
    }
    switch (archive_entry_filetype(entry)) {
    case AE_IFREG:
    case AE_IFDIR:
        break;
    case AE_IFLNK: {
        const char* target = archive_entry_symlink(entry);
        if (target == nullptr || !staysInside(path.parent_path() / target)) {
            refuseEntry(name);
        }
        break;
    }
    default:
        refuseEntry(name);
    }
    return path;
}

// Whether `path`, already resolved, is `root` or lies inside it.
bool isInside(const std::filesystem::path& path, const std::filesystem::path& root) {
    const std::filesystem::path relative = path.lexically_relative(root);
    return !relative.empty() && *relative.begin() != "..";
}

// Follows every symbolic link unpacked into `root` through the links its
// target passes (a chain such as "l -> ..", "up -> x/l/.." adds up to more
// than any one entry says) and refuses the archive if one leads outside
// `root` or can't be resolved.
void requireLinksInside(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (auto item = fs::recursive_directory_iterator(root, error);
         !error && item != fs::recursive_directory_iterator(); item.increment(error)) {
        if (!item->is_symlink(error)) {
            continue;
        }
        const fs::path link = item->path();
        const fs::path target = fs::read_symlink(link, error);
        const fs::path resolved =
            error ? fs::path() : fs::weakly_canonical(link.parent_path() / target, error);
        if (error || !isInside(resolved, root)) {
            refuseEntry(link.lexically_relative(root).string());
        }
    }
    if (error) {
        throw std::filesystem::filesystem_error("The unpacked update couldn't be checked", root,
                                                error);
    }
}

void writeContents(archive* reader, archive* writer, std::uint64_t& written,
                   std::uint64_t sizeLimit) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        const int status = archive_read_data_block(reader, &block, &size, &offset);
        if (status == ARCHIVE_EOF) {
            return;
        }
        if (status != ARCHIVE_OK) {
            damaged();
        }
        written += size;
        if (written > sizeLimit) {
            tooLarge();
        }
        if (archive_write_data_block(writer, block, size, offset) != ARCHIVE_OK) {
            unpackFailed(writer);
        }
    }
}

} // namespace

void extractArchive(const std::filesystem::path& archivePath, const std::filesystem::path& folder,
                    std::uint64_t sizeLimit) {
    ArchiveReader reader(archive_read_new());
    ArchiveWriter writer(archive_write_disk_new());
    if (!reader || !writer) {
        throw std::bad_alloc();
    }
    archive_read_support_filter_gzip(reader.get());
    archive_read_support_format_tar(reader.get());
    if (archive_read_open_filename(reader.get(), archivePath.c_str(), 64 * 1024) != ARCHIVE_OK) {
        damaged();
    }
    // libarchive's own guards as well: no ".." and no writing through a link.
    // Without ARCHIVE_EXTRACT_OWNER and _PERM files belong to the user and
    // follow the umask.
    archive_write_disk_set_options(writer.get(), ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                                     ARCHIVE_EXTRACT_SECURE_SYMLINKS);
    // The folder is named without links, or the guard against writing through
    // one would refuse every entry.
    const std::filesystem::path root = std::filesystem::canonical(folder);
    std::uint64_t written = 0;
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
        const std::filesystem::path path = checkedPath(entry);
        if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0 &&
            static_cast<std::uint64_t>(archive_entry_size(entry)) > sizeLimit - written) {
            tooLarge();
        }
        archive_entry_set_pathname(entry, (root / path).c_str());
        archive_entry_set_perm(entry, archive_entry_perm(entry) & 0755);
        if (archive_write_header(writer.get(), entry) != ARCHIVE_OK) {
            unpackFailed(writer.get());
        }
        if (archive_entry_filetype(entry) == AE_IFREG) {
            writeContents(reader.get(), writer.get(), written, sizeLimit);
        }
        if (archive_write_finish_entry(writer.get()) != ARCHIVE_OK) {
            unpackFailed(writer.get());
        }
    }
    if (status != ARCHIVE_EOF) {
        damaged();
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK) {
        unpackFailed(writer.get());
    }
    requireLinksInside(root);
}

} // namespace cadrelle
