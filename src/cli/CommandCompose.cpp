#include "cli/Commands.h"

#include "cli/ProgressLine.h"
#include "compose/ComposeEngine.h"
#include "core/AppError.h"
#include "core/ProgramFiles.h"
#include "core/StandardError.h"
#include "core/StopSignals.h"
#include "frames/ShippedFrames.h"

#include <QCoreApplication>

#include <dlfcn.h>

#include <mutex>
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
        const auto path =
            programFile(runningExecutable(),
                        std::filesystem::path("lib") / "cadrelle" / "libcadrelle-compose.so");
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

// A list option: "a,b" and the option given once.
std::vector<std::string> listOption(const CommandLine& line, const std::string& option) {
    std::vector<std::string> values;
    if (const auto value = line.optional(option)) {
        std::istringstream items(*value);
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
    report.written = [&progress, &out](const std::filesystem::path& path) {
        progress.clear();
        out << path.string() << '\n' << std::flush;
    };
    report.failed = [&progress](const std::string& image, const std::string& reason) {
        progress.clear();
        writeStandardError("Error: " + image + ": " + reason + "\n");
    };
    bool complete = false;
    stopSignals.run("lumivane.compose", [&] { complete = engine.run(*batch, report, stop); });
    progress.clear();
    if (!complete) {
        throw FailuresReported();
    }
}

} // namespace cadrelle
