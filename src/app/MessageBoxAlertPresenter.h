#pragma once

#include "app/AlertPresenter.h"

namespace cadrelle {

// The launch failure as a modal critical message box.
class MessageBoxAlertPresenter final : public AlertPresenter {
public:
    void launchFailed(const std::string& description) override;
};

} // namespace cadrelle
