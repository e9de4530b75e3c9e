// Draws the sample artwork: the demo's frame and screenshot, the benchmark's
// frame and screenshot, or one screenshot of any size.
//
//   make-samples demo DIRECTORY
//   make-samples bench DIRECTORY
//   make-samples screenshot WIDTH HEIGHT PNG_PATH [SEED [flat|photo|noise]]
//   make-samples recording WIDTH HEIGHT MP4_PATH

#include "ArtworkOutput.h"
#include "SampleRecording.h"
#include "ScreenshotArtwork.h"
#include "ShippedDevices.h"

#include "core/AppError.h"
#include "core/FileIO.h"
#include "frames/ScreenOpening.h"

#include <QByteArray>
#include <QGuiApplication>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace cadrelle;
using namespace cadrelle::artwork;

void writeScreenshot(QSize size, std::uint32_t seed, const std::filesystem::path& path,
                     ScreenshotKind kind = ScreenshotKind::photo) {
    const QImage screenshot = drawScreenshot(size, seed, kind);
    if (!screenshot.save(QString::fromStdString(path.string()), "PNG")) {
        throw AppError("Unable to write " + path.string());
    }
    std::cout << path.string() << '\n';
}

// Writes a frame and checks that it inspects to the intended opening.
void writeFrame(const FramePicture& picture, const std::filesystem::path& directory) {
    const auto path = directory / picture.fileName;
    const QImage image = drawDevice(picture.design, picture.landscape);
    const ScreenOpening opening = screenOpening(toRaster(image));
    const QRect expected = screenRect(picture.design);
    if (opening.rect !=
        PixelRect{expected.x(), expected.y(), expected.width(), expected.height()}) {
        throw AppError("The opening of " + path.string() + " is not where it was drawn.");
    }
    writePng(image, path);
    std::cout << path.string() << '\n';
}

int run(const std::vector<std::string>& arguments) {
    const std::string mode = arguments.empty() ? std::string() : arguments[0];
    if ((mode == "demo" || mode == "bench") && arguments.size() == 2) {
        const std::filesystem::path directory = arguments[1];
        createDirectories(directory);
        const FramePicture frame = mode == "demo" ? sampleFramePicture() : benchmarkFramePicture();
        writeFrame(frame, directory);
        const QSize opening(frame.design.screenWidth, frame.design.screenHeight);
        writeScreenshot(
            opening, mode == "demo" ? 41 : 2868,
            directory / (mode == "demo" ? "sample-screenshot.png" : "benchmark-screenshot.png"));
        return 0;
    }
    const auto kind = arguments.size() == 6 ? screenshotKindNamed(arguments[5])
                                            : std::optional(ScreenshotKind::photo);
    if (mode == "screenshot" && arguments.size() >= 4 && arguments.size() <= 6 && kind) {
        const QSize size(std::stoi(arguments[1]), std::stoi(arguments[2]));
        const auto seed =
            arguments.size() >= 5 ? static_cast<std::uint32_t>(std::stoul(arguments[4])) : 1u;
        writeScreenshot(size, seed, arguments[3], *kind);
        return 0;
    }
    if (mode == "recording" && arguments.size() == 4) {
        const QSize size(std::stoi(arguments[1]), std::stoi(arguments[2]));
        writeSampleRecording(size, 2.0, arguments[3]);
        std::cout << arguments[3] << '\n';
        return 0;
    }
    std::cerr << "usage: make-samples demo DIRECTORY\n"
                 "       make-samples bench DIRECTORY\n"
                 "       make-samples screenshot WIDTH HEIGHT PNG_PATH [SEED [flat|photo|noise]]\n"
                 "       make-samples recording WIDTH HEIGHT MP4_PATH\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // The off-screen platform's remarks about the session (no runtime folder
    // and the like) are not the generator's business.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg && type != QtWarningMsg) {
            std::cerr << text.toStdString() << '\n';
        }
    });
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
    QGuiApplication application(argc, argv);
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::cerr << "make-samples: " << userDescription(error) << '\n';
        return 1;
    }
}
