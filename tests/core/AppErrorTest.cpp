#include "core/AppError.h"
#include "core/FileError.h"
#include "core/JsonSupport.h"

#include <gtest/gtest.h>

#include <new>

using namespace cadrelle;

namespace {

// What the user is shown for the error `call` throws.
template <typename Call> std::string shownFor(Call call) {
    try {
        call();
    } catch (...) {
        return userDescription(std::current_exception());
    }
    return "";
}

} // namespace

TEST(UserDescription, EveryErrorBecomesASentenceForTheUser) {
    EXPECT_EQ(shownFor([] { throw AppError("Choose a PNG screenshot or an MP4 recording."); }),
              "Choose a PNG screenshot or an MP4 recording.");
    EXPECT_EQ(shownFor([] { throw FileError("/tmp/out.png", EEXIST); }),
              "/tmp/out.png: File exists");
    EXPECT_EQ(shownFor([] {
                  throw std::filesystem::filesystem_error(
                      "cannot copy file", "/in/a.png", "/out/a.png",
                      std::make_error_code(std::errc::no_space_on_device));
              }),
              "/in/a.png: No space left on device");

    // Texts meant for programmers never reach the user.
    EXPECT_EQ(shownFor([] { throw std::bad_alloc(); }), "Not enough memory to create the image.");
    EXPECT_EQ(shownFor([] { return nlohmann::json::parse("{broken"); }), kJsonFormatError);
    EXPECT_EQ(shownFor([] { return nlohmann::json(std::string("Bad\xff Phone")).dump(); }),
              kJsonFormatError);
    EXPECT_EQ(shownFor([] { return nlohmann::json::array().at(3); }), kJsonFormatError);
    EXPECT_EQ(shownFor([] { throw 42; }), "An unknown error occurred.");
}
