#include "ProgramModule.h"

#include "Installation.h"

#include <dlfcn.h>

#include <filesystem>

namespace cadrelle {

void* ProgramModule::entry(const std::string& fileName, const char* entry, std::string& reason) {
    const auto path =
        Installation::running().file(std::filesystem::path("lib") / "cadrelle" / fileName);
    void* address = nullptr;
    if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        address = dlsym(module, entry);
    }
    if (address == nullptr) {
        const char* error = dlerror();
        reason = error != nullptr ? error : path.string();
    }
    return address;
}

} // namespace cadrelle
