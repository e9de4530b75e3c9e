#pragma once

#include "model/DesktopServices.h"

namespace cadrelle {

// The desktop's trash (the freedesktop.org trash in the user's data folder).
class FreedesktopTrash final : public TrashBin {
public:
    void moveToTrash(const std::filesystem::path& path, const std::string& shownName) override;
};

} // namespace cadrelle
