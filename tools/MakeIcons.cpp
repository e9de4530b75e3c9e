// Renders the application icon's SVG into the PNG sizes the icon theme
// installs: make-icons resources/icons/cadrelle.svg resources/icons/hicolor
// writes <folder>/<N>x<N>/apps/cadrelle.png for every size. A second form,
// make-icons --preview SVG SIZE OUTPUT_PNG, renders one size of any SVG (on a
// grey background, to judge the tray icon).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

QImage render(QSvgRenderer& renderer, int size, QColor background) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

int fail(const QString& message) {
    std::fprintf(stderr, "make-icons: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 5 && arguments[1] == QStringLiteral("--preview")) {
        QSvgRenderer renderer(arguments[2]);
        if (!renderer.isValid()) {
            return fail(QStringLiteral("can't read ") + arguments[2]);
        }
        const QImage image = render(renderer, arguments[3].toInt(), QColor(128, 128, 128));
        return image.save(arguments[4]) ? 0 : fail(QStringLiteral("can't write ") + arguments[4]);
    }
    if (arguments.size() != 3) {
        return fail(QStringLiteral("usage: make-icons SVG FOLDER | --preview SVG SIZE PNG"));
    }
    QSvgRenderer renderer(arguments[1]);
    if (!renderer.isValid()) {
        return fail(QStringLiteral("can't read ") + arguments[1]);
    }
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(arguments[2]).arg(size);
        const QString file = folder + QStringLiteral("/cadrelle.png");
        if (!QDir().mkpath(folder) || !render(renderer, size, Qt::transparent).save(file)) {
            return fail(QStringLiteral("can't write ") + file);
        }
    }
    return 0;
}
