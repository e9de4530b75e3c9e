#include "core/LockFile.h"
#include "support/CaptureTestSupport.h"
#include "support/LockHolder.h"
#include "support/RunCadrelle.h"
#include "support/TempDir.h"
#include "support/TestFrames.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;
using test::entriesOf;
using test::Outcome;
using test::TempDir;

const std::string kLeftover = ".lumivane-0F8C2D4A-1B3E-4C5D-8E9F-A0B1C2D3E4F5";

class SystemFaults : public ::testing::Test {
protected:
    SystemFaults() {
        test::writeFrame(dir / "Phone.png", {68, 100, 2, 2, 64, 96, false, test::kBezel});
        test::writeScreenshot(dir / "shot.png", 64, 96);
        fs::create_directories(dir / "out");
    }

    Outcome frame(const std::function<void()>& inChild = {}) {
        const std::vector<std::string> arguments{
            "frame", "--input", "shot.png", "--frame", "Phone.png", "--output", "out/framed.png"};
        return inChild ? test::runCadrelle(arguments, dir.path(), inChild)
                       : test::runCadrelle(arguments, dir.path());
    }

    TempDir dir;
};

// A file-size limit (ulimit -f) makes the write fail instead of killing the
// program: "Error: " and a sentence, status 1, and nothing in the output
// folder, hidden temporary items included.
TEST_F(SystemFaults, AFileSizeLimitEndsInAnErrorAndLeavesNothing) {
    const Outcome limited = frame([] {
        // In the program's process only, as a shell's `ulimit -f 1` does,
        // with the signal's usual effect.
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{};
        limit.rlim_cur = 1024;
        limit.rlim_max = RLIM_INFINITY;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    test::expectFailure(limited, "out/framed.png: File too large");
    EXPECT_TRUE(entriesOf(dir / "out").empty());
    EXPECT_EQ(frame().status, 0) << "without the limit the same capture frames";
}

// A temporary item a killed run left in the output folder goes with the next
// run that writes there, however fresh, unless another copy of the program
// still works in that folder.
TEST_F(SystemFaults, WhatAKilledRunLeftGoesUnlessAnotherCopyWorksThere) {
    test::writeText(dir / "out" / kLeftover, "partial");
    {
        const test::LockHolder other(LockFile::forFolder("temporary", dir / "out"), false);
        ASSERT_TRUE(other.holds());
        ASSERT_EQ(frame().status, 0);
        EXPECT_EQ(entriesOf(dir / "out"), (std::vector<std::string>{kLeftover, "framed.png"}));
    }
    fs::remove(dir / "out" / "framed.png");
    ASSERT_EQ(frame().status, 0);
    EXPECT_EQ(entriesOf(dir / "out"), std::vector<std::string>{"framed.png"});
}

} // namespace
} // namespace cadrelle
