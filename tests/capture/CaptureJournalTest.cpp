#include "capture/CaptureJournal.h"

#include "core/AppError.h"
#include "support/Messages.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

TEST(CaptureJournal, ReadsBackWhatItWritesAndRefusesSizesThatAreNotWholeNumbers) {
    const test::TempDir dir;
    const auto journal = dir / "Journals" / "journal.json";
    const HandledFiles handled = {{"/captures/a.png", FileStamp{4096, 700000000.25}},
                                  {"/captures/b.mp4", FileStamp{0, -1.5}}};
    writeCaptureJournal(handled, journal);
    EXPECT_EQ(readCaptureJournal(journal), handled);

    test::writeText(journal, R"({"/captures/a.png": {"size": 4096.0, "modified": 1.5}})");
    EXPECT_EQ(readCaptureJournal(journal).at("/captures/a.png"), (FileStamp{4096, 1.5}));

    for (const std::string size : {"1e20", "-1.5", "-1", "2.5", "18446744073709551616.0"}) {
        test::writeText(journal,
                        R"({"/captures/a.png": {"size": )" + size + R"(, "modified": 0}})");
        const auto message = test::messageOf([&] { readCaptureJournal(journal); });
        EXPECT_EQ(message.rfind(journal.string() + ": ", 0), 0u) << size << ": " << message;
    }
}

} // namespace
} // namespace cadrelle
