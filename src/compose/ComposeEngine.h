#pragma once

#include "core/CaptureExportControl.h"

#include <QtGlobal>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

QT_BEGIN_NAMESPACE
class QCoreApplication;
QT_END_NAMESPACE

namespace cadrelle {

// What `cadrelle compose` asks for.
struct ComposeRequest {
    std::filesystem::path composition;
    std::filesystem::path output;
    std::vector<std::string> locales; // empty: every locale of the composition
    std::vector<std::string> sizes;   // empty: every size of the composition
    std::filesystem::path frames;     // the frame library captures are framed with
};

// How a run tells of its images; never called by two threads at once.
struct ComposeReport {
    std::function<void(std::size_t done, std::size_t total)> progress;
    std::function<void(const std::filesystem::path& written)> written;
    // `image` is "<locale>/<size>/<screen>"; `reason` the sentence.
    std::function<void(const std::string& image, const std::string& reason)> failed;
};

class ComposeBatch;

// What the command line asks of the store image code. It draws with Qt's
// GUI library, so it lives in a module that only `compose` loads: the other
// commands start without the GUI libraries.
struct ComposeEngine {
    // The application object composing needs: a GUI one on the off-screen
    // platform, made before anything else of Qt's.
    QCoreApplication* (*makeApplication)(int& argc, char** argv);
    // Reads the composition and checks what the request chose; throws for
    // what spoils every image. Runs on the application object's thread.
    std::shared_ptr<ComposeBatch> (*prepare)(const ComposeRequest& request);
    std::size_t (*imageCount)(const ComposeBatch& batch);
    // Writes every image under the output folder, reporting each; returns
    // whether all were written. Cancelled once `stop` is.
    bool (*run)(ComposeBatch& batch, const ComposeReport& report, const CaptureExportControl& stop);
};

} // namespace cadrelle

// The engine, exported under this C name by the compose module
// (libcadrelle-compose.so) and linked directly into programs that build it in
// (the tests).
extern "C" const cadrelle::ComposeEngine* cadrelle_compose_engine();
