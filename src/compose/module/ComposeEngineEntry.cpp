#include "compose/ComposeBatch.h"
#include "compose/ComposeEngine.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstdio>

namespace {

QCoreApplication* makeApplication(int& argc, char** argv) {
    // Captions are drawn into images, never shown: no display is needed, and
    // the off-screen platform's remarks about the session are not the user's
    // business.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    });
    return new QGuiApplication(argc, argv);
}

std::shared_ptr<cadrelle::ComposeBatch> prepare(const cadrelle::ComposeRequest& request) {
    return std::make_shared<cadrelle::ComposeBatch>(request);
}

std::size_t imageCount(const cadrelle::ComposeBatch& batch) {
    return batch.imageCount();
}

bool run(cadrelle::ComposeBatch& batch, const cadrelle::ComposeReport& report,
         const cadrelle::CaptureExportControl& stop) {
    return batch.run(report, stop);
}

const cadrelle::ComposeEngine kEngine{&makeApplication, &prepare, &imageCount, &run};

} // namespace

extern "C" __attribute__((visibility("default"))) const cadrelle::ComposeEngine*
cadrelle_compose_engine() {
    return &kEngine;
}
