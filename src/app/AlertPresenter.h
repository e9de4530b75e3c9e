#pragma once

#include <string>

namespace cadrelle {

// Tells the user that the application could not start. The real one is a
// message box; tests see the text through a fake.
class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;
    // Shows "Cadrelle couldn't start" with `description` below it and returns
    // once the user dismissed it.
    virtual void launchFailed(const std::string& description) = 0;
};

} // namespace cadrelle
