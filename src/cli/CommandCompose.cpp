#include "cli/Commands.h"

#include "capture/StoredPath.h"
#include "cli/JsonLineWriter.h"
#include "cli/ProgressLine.h"
#include "compose/ComposeEngine.h"
#include "core/AppError.h"
#include "core/Installation.h"
#include "core/StandardError.h"
#include "core/StopSignals.h"
#include "frames/ShippedFrames.h"

#include <QCoreApplication>

#include <dlfcn.h>

#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <sstream>

// Programs that build the engine in define this; in the others it stays null.
extern "C" __attribute__((weak)) const cadrelle::ComposeEngine* cadrelle_compose_engine();

namespace cadrelle {

namespace {

// The engine built in, or else the compose module beside the program, loaded
// once; null when the module can't be loaded, with `reason` saying why.
const ComposeEngine* loadEngine(std::string& reason) {
    if (&cadrelle_compose_engine != nullptr) {
        return cadrelle_compose_engine();
    }
    static std::mutex lock;
    static const ComposeEngine* loaded = nullptr;
    const std::lock_guard guard(lock);
    if (loaded == nullptr) {
        const auto path = Installation::running().file(std::filesystem::path("lib") / "cadrelle" /
                                                       "libcadrelle-compose.so");
        // Never closed: the engine's code must stay for the rest of the run.
        using Entry = const ComposeEngine* (*)();
        Entry entry = nullptr;
        if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            entry = reinterpret_cast<Entry>(dlsym(module, "cadrelle_compose_engine"));
        }
        if (entry == nullptr) {
            const char* error = dlerror();
            reason = error != nullptr ? error : path.string();
            return nullptr;
        }
        loaded = entry();
    }
    return loaded;
}

const ComposeEngine& composeEngine() {
    std::string reason;
    const ComposeEngine* engine = loadEngine(reason);
    if (engine == nullptr) {
        throw AppError("Store images can't be made because Cadrelle's drawing support couldn't "
                       "be loaded: " +
                       reason);
    }
    return *engine;
}

// A list option, given once or more, each value a name or "a,b".
std::vector<std::string> listOption(const CommandLine& line, const std::string& option) {
    std::vector<std::string> values;
    const auto given = line.repeated.find(option);
    if (given == line.repeated.end()) {
        return values;
    }
    for (const std::string& value : given->second) {
        std::istringstream items(value);
        for (std::string item; std::getline(items, item, ',');) {
            if (!item.empty()) {
                values.push_back(item);
            }
        }
    }
    return values;
}

} // namespace

std::unique_ptr<QCoreApplication> makeCommandApplication(const std::vector<std::string>& arguments,
                                                         int& argc, char** argv) {
    std::string reason;
    if (!arguments.empty() && arguments.front() == "compose") {
        // Without the module the command says why once it runs.
        if (const ComposeEngine* engine = loadEngine(reason)) {
            return std::unique_ptr<QCoreApplication>(engine->makeApplication(argc, argv));
        }
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

void runCompose(const CommandLine& line, std::ostream& out) {
    ComposeRequest request;
    request.composition = filePath(line.required("--config"));
    request.output = filePath(line.required("--output"));
    request.locales = listOption(line, "--locale");
    request.sizes = listOption(line, "--size");
    const auto library = line.optional("--library");
    request.frames = library ? filePath(*library) : shippedFramesDirectory();
    if (!line.positionals.empty()) {
        throw AppError("compose takes no file names: the composition names the captures.");
    }
    const ComposeEngine& engine = composeEngine();
    const auto batch = engine.prepare(request);

    CaptureExportControl stop;
    StopSignals stopSignals([stop]() mutable { stop.cancel(); });
    ProgressLine progress;
    ComposeReport report;
    report.progress = [&progress](std::size_t done, std::size_t total) {
        progress.show("Composing \u00B7 " + std::to_string(done) + " of " + std::to_string(total));
    };
    // With --json each image is one object: "image" ("<locale>/<size>/<NN>-<screen>"),
    // "output" (null when it failed), "status" ("composed" or "failed") and "error".
    std::optional<JsonLineWriter> json;
    if (line.has("--json")) {
        json.emplace(out);
    }
    report.written = [&](const std::filesystem::path& path) {
        progress.clear();
        if (json) {
            const auto image = path.lexically_relative(request.output).replace_extension();
            json->write({{"image", storedPath(image.string())},
                         {"output", storedPath(path.string())},
                         {"status", "composed"},
                         {"error", nullptr}});
        } else {
            out << path.string() << '\n' << std::flush;
        }
    };
    report.failed = [&](const std::string& image, const std::string& reason) {
        progress.clear();
        writeStandardError("Error: " + image + ": " + reason + "\n");
        if (json) {
            json->write({{"image", storedPath(image)},
                         {"output", nullptr},
                         {"status", "failed"},
                         {"error", reason}});
        }
    };
    bool complete = false;
    stopSignals.run("lumivane.compose", [&] { complete = engine.run(*batch, report, stop); });
    progress.clear();
    if (!complete) {
        throw FailuresReported();
    }
}

} // namespace cadrelle
