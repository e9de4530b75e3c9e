#include "PreferenceEditing.h"

#include "ToggleRow.h"
#include "model/AppModel.h"

namespace cadrelle {

void editPreferences(AppModel& model, const std::function<void(Preferences&)>& edit, bool restart) {
    Preferences preferences = model.preferences();
    edit(preferences);
    model.setPreferences(std::move(preferences));
    model.savePreferences(restart);
}

ToggleRow* preferenceToggle(AppModel& model, const QString& title, bool Preferences::*field,
                            bool restart, std::function<void()> after) {
    auto* toggle = new ToggleRow(title);
    auto show = [toggle, &model, field] { toggle->setOn(model.preferences().*field); };
    show();
    QObject::connect(&model, &AppModel::preferencesChanged, toggle, show);
    QObject::connect(toggle, &ToggleRow::changed, toggle,
                     [&model, field, restart, after = std::move(after)](bool on) {
                         editPreferences(
                             model, [&](Preferences& preferences) { preferences.*field = on; },
                             restart);
                         if (after) {
                             after();
                         }
                     });
    return toggle;
}

} // namespace cadrelle
