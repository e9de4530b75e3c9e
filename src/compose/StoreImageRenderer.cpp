#include "StoreImageRenderer.h"

#include "compose/CaptionBlock.h"
#include "compose/DeviceScaler.h"
#include "compose/SoftShadow.h"
#include "core/AppError.h"
#include "frames/Raster.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace cadrelle {

namespace {

QFont resolveFont(const TextStyle& style) {
    QString family = QString::fromStdString(style.font);
    if (!style.fontFile.empty()) {
        const int id =
            QFontDatabase::addApplicationFont(QString::fromStdString(style.fontFile.string()));
        const QStringList families =
            id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) {
            throw AppError(style.fontFile.string() + ": The font file can't be read.");
        }
        family = families.front();
    } else if (!QFontDatabase::hasFamily(family)) {
        throw AppError("The font \"" + style.font + "\" isn't installed.");
    }
    QFont font(family);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// The image at `path` as premultiplied ARGB, read with the program's checks.
QImage loadImage(const std::filesystem::path& path) {
    const Raster raster = Raster::load(path);
    QImage image(static_cast<int>(raster.width), static_cast<int>(raster.height),
                 QImage::Format_RGBA8888_Premultiplied);
    const auto rowBytes = static_cast<std::size_t>(raster.width) * 4;
    for (int y = 0; y < image.height(); ++y) {
        std::copy_n(raster.pixels.data() + static_cast<std::size_t>(y) * rowBytes, rowBytes,
                    image.scanLine(y));
    }
    return image;
}

struct FittedCaption {
    std::optional<CaptionBlock> title;
    std::optional<CaptionBlock> subtitle;
    double height = 0;
};

} // namespace

StoreImageRenderer::StoreImageRenderer(const Composition& composition)
    : composition_(composition), titleFont_(resolveFont(composition.caption.title)),
      subtitleFont_(resolveFont(composition.caption.subtitle)) {
    if (composition.background.kind == Background::Kind::image) {
        backgroundImage_ = loadImage(composition.background.image);
    }
}

void StoreImageRenderer::paintBackground(QImage& canvas) const {
    const Background& background = composition_.background;
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    const double w = canvas.width();
    const double h = canvas.height();
    if (background.kind == Background::Kind::color) {
        painter.fillRect(canvas.rect(), qColor(background.color));
    } else if (background.kind == Background::Kind::gradient) {
        // The CSS gradient line: through the centre at the angle, long enough
        // that the corners get the first and last stops.
        const double radians = background.angle * std::numbers::pi / 180;
        const QPointF direction(std::sin(radians), -std::cos(radians));
        const double length = std::abs(w * direction.x()) + std::abs(h * direction.y());
        const QPointF centre(w / 2, h / 2);
        QLinearGradient gradient(centre - direction * (length / 2),
                                 centre + direction * (length / 2));
        for (const GradientStop& stop : background.stops) {
            gradient.setColorAt(stop.position, qColor(stop.color));
        }
        painter.fillRect(canvas.rect(), gradient);
    } else {
        // Scaled to cover, centred, the overflow cut off.
        const double scale = std::max(w / backgroundImage_.width(), h / backgroundImage_.height());
        const QSize scaled(static_cast<int>(std::ceil(backgroundImage_.width() * scale)),
                           static_cast<int>(std::ceil(backgroundImage_.height() * scale)));
        const QImage cover =
            backgroundImage_.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.drawImage(QPointF((w - cover.width()) / 2, (h - cover.height()) / 2), cover);
    }
}

QImage StoreImageRenderer::render(const StoreSize& size, const QImage& device,
                                  const CaptionTexts& texts) const {
    const bool landscape = device.width() > device.height();
    const int width = static_cast<int>(size.canvasWidth(landscape));
    const int height = static_cast<int>(size.canvasHeight(landscape));
    QImage canvas(width, height, QImage::Format_RGB32);
    paintBackground(canvas);

    const Caption& caption = composition_.caption;
    const Device& placement = composition_.device;
    const double w = width;
    const double h = height;
    // The device's box at the edge away from the caption; the caption's region
    // is what is left, less the margins and the gap.
    const double boxHeight = placement.height * h;
    const double boxWidth = placement.width * w;
    const double boxTop =
        caption.above ? h - placement.margin * h - boxHeight : placement.margin * h;
    const double regionTop =
        caption.above ? caption.margin * h : boxTop + boxHeight + placement.gap * h;
    const double regionBottom = caption.above ? boxTop - placement.gap * h : h - caption.margin * h;
    const double captionWidth = caption.width * w;

    // Both texts shrink together, each down to its own smallest size, until
    // they fit their lines, the width and the region's height.
    FittedCaption fitted;
    const auto pixels = [h](double fraction) {
        return std::max(1, static_cast<int>(std::lround(fraction * h)));
    };
    const TextStyle& titleStyle = caption.title;
    const TextStyle& subtitleStyle = caption.subtitle;
    for (double factor = 1;; factor -= 0.02) {
        const int titleSize = pixels(std::max(titleStyle.size * factor, titleStyle.minimumSize));
        const int subtitleSize =
            pixels(std::max(subtitleStyle.size * factor, subtitleStyle.minimumSize));
        fitted.title.emplace(texts.title, titleFont_, titleStyle, titleSize, captionWidth);
        fitted.height = fitted.title->height();
        const bool titleFits =
            fitted.title->lineCount() <= titleStyle.maximumLines && fitted.title->fitsWidth();
        bool subtitleFits = true;
        if (!texts.subtitle.isEmpty()) {
            fitted.subtitle.emplace(texts.subtitle, subtitleFont_, subtitleStyle, subtitleSize,
                                    captionWidth);
            fitted.height += caption.gap * h + fitted.subtitle->height();
            subtitleFits = fitted.subtitle->lineCount() <= subtitleStyle.maximumLines &&
                           fitted.subtitle->fitsWidth();
        }
        const bool heightFits = fitted.height <= regionBottom - regionTop;
        if (titleFits && subtitleFits && heightFits) {
            break;
        }
        const bool smallest = titleSize <= pixels(titleStyle.minimumSize) &&
                              subtitleSize <= pixels(subtitleStyle.minimumSize);
        if (smallest) {
            const bool subtitleFailed = titleFits && !subtitleFits;
            const std::string& key = subtitleFailed ? texts.subtitleKey : texts.titleKey;
            throw AppError("The " + texts.locale + " text \"" + key +
                           "\" doesn't fit the caption even at its smallest size.");
        }
    }

    // The device scaled to fit its box, against the box's edge nearest the
    // caption, centred across, then moved by the offsets.
    const double scale = std::min(boxWidth / device.width(), boxHeight / device.height());
    const QSize deviceSize(std::max(1, static_cast<int>(std::lround(device.width() * scale))),
                           std::max(1, static_cast<int>(std::lround(device.height() * scale))));
    const QImage scaled = scaleDevice(device, deviceSize);
    const double deviceTop = caption.above ? boxTop : boxTop + boxHeight - deviceSize.height();
    const QPoint devicePosition(
        static_cast<int>(std::lround((w - deviceSize.width()) / 2 + placement.offsetX * w)),
        static_cast<int>(std::lround(deviceTop + placement.offsetY * h)));

    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (placement.shadow) {
        const Shadow& shadow = *placement.shadow;
        const SoftShadow soft = softShadow(scaled, shadow.blur * h, qColor(shadow.color));
        painter.drawImage(devicePosition + soft.offset +
                              QPoint(static_cast<int>(std::lround(shadow.offsetX * w)),
                                     static_cast<int>(std::lround(shadow.offsetY * h))),
                          soft.image);
    }
    painter.drawImage(devicePosition, scaled);

    const double captionTop = caption.above ? regionTop : regionBottom - fitted.height;
    const double captionLeft = (w - captionWidth) / 2;
    fitted.title->draw(painter, QPointF(captionLeft, captionTop));
    if (fitted.subtitle) {
        fitted.subtitle->draw(
            painter, QPointF(captionLeft, captionTop + fitted.title->height() + caption.gap * h));
    }
    return canvas;
}

} // namespace cadrelle
