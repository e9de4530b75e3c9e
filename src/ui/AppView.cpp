#include "AppView.h"

#include "MainView.h"
#include "OnboardingView.h"
#include "model/AppModel.h"

#include <QVBoxLayout>

namespace cadrelle {

AppView::AppView(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    connect(&model_, &AppModel::preferencesChanged, this, &AppView::follow);
    follow();
}

void AppView::follow() {
    const bool pages = model_.preferences().completedSetup;
    if (current_ && pages == showsPages_) {
        return;
    }
    QWidget* next = nullptr;
    if (pages) {
        auto* main = new MainView(model_);
        connect(main, &MainView::quitRequested, this, &AppView::quitRequested);
        next = main;
    } else {
        auto* onboarding = new OnboardingView(model_);
        connect(onboarding, &OnboardingView::quitRequested, this, &AppView::quitRequested);
        next = onboarding;
    }
    // The old view goes later: the change may come from one of its own
    // buttons, whose click is still being handled.
    if (current_) {
        layout()->removeWidget(current_);
        current_->hide();
        current_->deleteLater();
    }
    layout()->addWidget(next);
    current_ = next;
    showsPages_ = pages;
}

} // namespace cadrelle
