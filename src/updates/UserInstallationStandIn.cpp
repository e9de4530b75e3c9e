// Stands in for the per-user installation until it exists: this program
// never installs updates itself, so the updater only points to the download
// page.
#include "updates/UserInstallation.h"

#include "core/AppError.h"

namespace cadrelle {
namespace {

class NoUserInstallation final : public UpdateInstaller {
public:
    bool canInstall() const override { return false; }
    void stage(const std::filesystem::path&, const std::string&) override { refuse(); }
    void activate(const std::string&) override { refuse(); }
    std::filesystem::path currentExecutable() const override { return {}; }

private:
    [[noreturn]] static void refuse() {
        throw AppError("This installation of Cadrelle can't update itself.");
    }
};

} // namespace

std::shared_ptr<UpdateInstaller> makeUpdateInstaller() {
    return std::make_shared<NoUserInstallation>();
}

} // namespace cadrelle
