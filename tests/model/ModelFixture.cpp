#include "ModelFixture.h"

#include "core/AppError.h"
#include "support/CoreApplication.h"

namespace cadrelle::test {

ModelFixture::ModelFixture() {
    ensureCoreApplication();
    std::filesystem::create_directories(data);
    std::filesystem::create_directories(input);
    std::filesystem::create_directories(output);
    std::filesystem::create_directories(dir / "opened");
}

std::unique_ptr<AppModel> ModelFixture::makeModel() {
    AppModelSetup setup;
    setup.dataDirectory = data;
    setup.shippedFrames = shipped.library.directory;
    setup.services = {panels, launcher, trash, loginItem, clipboard};
    setup.formatPresenter = presenter;
    setup.simulatorRun = [](const std::vector<std::string>&) -> Bytes {
        throw AppError("Install Xcode and an iOS simulator to use the simulator time override.");
    };
    return std::make_unique<AppModel>(std::move(setup));
}

std::unique_ptr<AppModel> ModelFixture::makeSetUpModel(bool quickAccess) {
    auto model = makeModel();
    model->folderSetup().selectFolder(input, true);
    model->folderSetup().selectFolder(output, false);
    Preferences preferences = model->preferences();
    preferences.screenshotPreviewEnabled = quickAccess;
    model->setPreferences(preferences);
    model->savePreferences(true);
    model->folderSetup().completeSetup();
    return model;
}

std::filesystem::path ModelFixture::screenshot(const std::string& name, std::uint32_t seed) {
    const auto path = input / name;
    writeScreenshot(path, 20, 30, seed);
    return path;
}

} // namespace cadrelle::test
