#pragma once

#include "updates/UpdateInstaller.h"

#include <memory>

namespace cadrelle {

// The installer for the program as it runs on this computer.
std::shared_ptr<UpdateInstaller> makeUpdateInstaller();

} // namespace cadrelle
