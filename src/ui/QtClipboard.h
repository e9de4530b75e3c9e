#pragma once

#include "model/DesktopServices.h"

namespace cadrelle {

// The desktop's clipboard: images are offered as PNG (and the other image
// types Qt converts to), files as file locations that file managers paste.
class QtClipboard final : public Clipboard {
public:
    void clear() override;
    bool putImage(const std::filesystem::path& png) override;
    void putFile(const std::filesystem::path& file) override;
};

} // namespace cadrelle
