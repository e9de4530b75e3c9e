#pragma once

#include "capture/Preferences.h"

#include <QString>

#include <functional>

namespace cadrelle {

class AppModel;
class ToggleRow;

// Changes the model's preferences with `edit`, then saves them; `restart`
// makes the model replace its running watch session so the change applies
// at once.
void editPreferences(AppModel& model, const std::function<void(Preferences&)>& edit, bool restart);

// A switch showing one boolean preference of the model and following it;
// flipping it stores the new value and saves with `restart`, then runs
// `after` when given.
ToggleRow* preferenceToggle(AppModel& model, const QString& title, bool Preferences::*field,
                            bool restart, std::function<void()> after = {});

} // namespace cadrelle
