#include "app/MessageBoxAlertPresenter.h"
#include "TestApplication.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

TEST(MessageBoxAlertPresenter, SaysTheApplicationCouldNotStartAndWhy) {
    test::ensureApplication();
    QString title;
    QString text;
    QString informative;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            ADD_FAILURE() << "no message box";
            QApplication::closeAllWindows();
            return;
        }
        title = box->windowTitle();
        text = box->text();
        informative = box->informativeText();
        box->button(QMessageBox::Ok)->click();
    });
    MessageBoxAlertPresenter().launchFailed("settings.json: The data couldn't be read.");
    EXPECT_EQ(title, QStringLiteral("Cadrelle couldn't start"));
    EXPECT_EQ(text, QStringLiteral("Cadrelle couldn't start"));
    EXPECT_EQ(informative, QStringLiteral("settings.json: The data couldn't be read."));
}

} // namespace
} // namespace cadrelle
