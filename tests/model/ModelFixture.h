#pragma once

#include "FakeServices.h"
#include "model/AppModel.h"
#include "support/CaptureTestSupport.h"
#include "support/CoreApplication.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

namespace cadrelle::test {

// A data folder, a capture folder and an export folder in a temporary
// folder, frames "shipped" with the test program, and fake desktop services.
class ModelFixture : public ::testing::Test {
protected:
    ModelFixture();

    // Makes the model; with `setUp` the folders are chosen and setup is
    // completed through the model's own operations first.
    std::unique_ptr<AppModel> makeModel();
    std::unique_ptr<AppModel> makeSetUpModel(bool quickAccess = true);
    // Writes a screenshot of the shipped frame's opening size.
    std::filesystem::path screenshot(const std::string& name, std::uint32_t seed = 0);

    TempDir dir;
    std::filesystem::path data = dir / "data";
    std::filesystem::path input = dir / "captures";
    std::filesystem::path output = dir / "export";
    TestLibrary shipped = makeTestLibrary(dir / "shipped", {{20, 30}, {64, 96}});
    std::shared_ptr<FakePanels> panels = std::make_shared<FakePanels>();
    std::shared_ptr<FakeLauncher> launcher = std::make_shared<FakeLauncher>();
    std::shared_ptr<FakeTrash> trash = std::make_shared<FakeTrash>();
    std::shared_ptr<FakeLoginItem> loginItem = std::make_shared<FakeLoginItem>();
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    std::shared_ptr<FakePresenter> presenter = std::make_shared<FakePresenter>();
};

} // namespace cadrelle::test
