#include "TrayTransitions.h"

namespace cadrelle {

PanelStep TrayTransitions::refresh(bool hasItems, bool visible, const QRect& current,
                                   const QRect& target, bool reduceMotion) {
    ++transition_;
    PanelStep step;
    step.transition = transition_;
    if (hasItems) {
        step.kind = visible ? PanelStep::Kind::resize : PanelStep::Kind::show;
        step.to = target;
        step.durationMs = reduceMotion ? 0 : durations_.showMs;
        if (visible) {
            step.from = current;
        } else {
            step.from = reduceMotion ? target : target.translated(80, 20);
            step.fromOpacity = 0;
        }
        return step;
    }
    if (!visible) {
        return step;
    }
    step.kind = PanelStep::Kind::hide;
    step.from = current;
    step.to = reduceMotion ? current : current.translated(90, 0);
    step.toOpacity = 0;
    step.durationMs = reduceMotion ? 0 : durations_.hideMs;
    return step;
}

} // namespace cadrelle
