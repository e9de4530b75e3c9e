#include "TestArchive.h"

#include <archive.h>
#include <gtest/gtest.h>

namespace cadrelle::test {

std::vector<ArchiveEntry> programEntries(const std::string& version) {
    return {{"bin/cadrelle", "#!/bin/sh\necho " + version + "\n"}, {"VERSION", version + "\n"}};
}

std::vector<ArchiveEntry> escapingLinkChain(int depth) {
    std::vector<ArchiveEntry> entries{{"x", {}, AE_IFDIR}, linkEntry("x/l", "..")};
    entries.push_back(linkEntry("up1", "x/l/.."));
    for (int step = 1; step < depth; ++step) {
        entries.push_back(
            linkEntry("up" + std::to_string(step + 1), "x/l/up" + std::to_string(step) + "/.."));
    }
    entries.push_back(linkEntry("escape", "up" + std::to_string(depth) + "/etc/passwd"));
    return entries;
}

void writeArchive(const std::filesystem::path& path, const std::vector<ArchiveEntry>& entries) {
    archive* writer = archive_write_new();
    archive_write_add_filter_gzip(writer);
    archive_write_set_format_pax_restricted(writer);
    ASSERT_EQ(archive_write_open_filename(writer, path.c_str()), ARCHIVE_OK);
    for (const ArchiveEntry& item : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, item.name.c_str());
        archive_entry_set_filetype(entry, item.type);
        archive_entry_set_perm(entry, item.perm);
        archive_entry_set_size(entry, static_cast<la_int64_t>(item.contents.size()));
        if (!item.symlink.empty()) {
            archive_entry_set_symlink(entry, item.symlink.c_str());
        }
        if (!item.hardlink.empty()) {
            archive_entry_set_hardlink(entry, item.hardlink.c_str());
        }
        archive_write_header(writer, entry);
        archive_write_data(writer, item.contents.data(), item.contents.size());
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
}

} // namespace cadrelle::test
