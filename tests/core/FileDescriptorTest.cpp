#include "core/FileDescriptor.h"
#include "support/Messages.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace cadrelle;
using cadrelle::test::TempDir;

namespace {

bool isOpen(int descriptor) {
    return ::fcntl(descriptor, F_GETFD) != -1;
}

} // namespace

TEST(FileDescriptor, ClosesOnceWhicheverWayOwnershipGoes) {
    TempDir dir;
    test::writeText(dir / "a.txt", "a");
    int moved = -1;
    {
        FileDescriptor first = FileDescriptor::open(dir / "a.txt", O_RDONLY);
        moved = first.get();
        EXPECT_NE(::fcntl(moved, F_GETFD) & FD_CLOEXEC, 0); // not inherited by child processes
        FileDescriptor second = std::move(first);
        EXPECT_FALSE(first.isOpen());
        EXPECT_EQ(first.close(), 0); // the moved-from owner closes nothing
        EXPECT_EQ(second.get(), moved);
        EXPECT_TRUE(isOpen(moved));
    }
    EXPECT_FALSE(isOpen(moved));

    // Assigning over an owner closes what it held; a released descriptor stays open.
    FileDescriptor owner = FileDescriptor::open(dir / "a.txt", O_RDONLY);
    const int replaced = owner.get();
    owner = FileDescriptor::open(dir / "a.txt", O_RDONLY);
    EXPECT_NE(owner.get(), replaced);
    EXPECT_FALSE(isOpen(replaced));
    const int released = owner.release();
    owner = FileDescriptor();
    EXPECT_TRUE(isOpen(released));
    ::close(released);

    // A writer learns about its close; the second close has nothing to do.
    FileDescriptor writer = FileDescriptor::open(dir / "b.txt", O_WRONLY | O_CREAT | O_EXCL, 0644);
    EXPECT_EQ(::write(writer.get(), "b", 1), 1);
    EXPECT_EQ(writer.close(), 0);
    EXPECT_EQ(writer.close(), 0);
    EXPECT_EQ(test::readText(dir / "b.txt"), "b");

    EXPECT_EQ(test::messageOf(
                  [&] { FileDescriptor::open(dir / "b.txt", O_WRONLY | O_CREAT | O_EXCL, 0644); }),
              (dir / "b.txt").string() + ": File exists");
}
