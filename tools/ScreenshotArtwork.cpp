#include "ScreenshotArtwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace cadrelle::artwork {

namespace {

// A small deterministic generator (xorshift32), so that pictures do not
// depend on the standard library's distributions.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // A value in [low, high).
    double uniform(double low, double high) { return low + (high - low) * (next() / 4294967296.0); }
    int below(int count) { return static_cast<int>(next() % static_cast<std::uint32_t>(count)); }

private:
    std::uint32_t state_;
};

const std::array<const char*, 48> kWords = {
    "harbour", "morning", "walk",    "coffee",  "notes",   "summer", "trip",    "river",
    "garden",  "weekend", "plans",   "photos",  "city",    "lights", "market",  "friends",
    "review",  "design",  "meeting", "update",  "draft",   "ideas",  "music",   "evening",
    "train",   "north",   "coast",   "recipes", "bread",   "family", "dinner",  "shared",
    "album",   "sunset",  "bridge",  "trail",   "orchard", "studio", "project", "launch",
    "budget",  "travel",  "island",  "lake",    "forest",  "snow",   "autumn",  "library"};

QString words(Random& random, int count, bool capitalise) {
    QStringList list;
    for (int i = 0; i < count; ++i) {
        list << QString::fromLatin1(kWords[static_cast<std::size_t>(random.below(kWords.size()))]);
    }
    QString text = list.join(QLatin1Char(' '));
    if (capitalise && !text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}

QFont font(double pixels, int weight) {
    QFont result(QStringLiteral("DejaVu Sans"));
    result.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    result.setWeight(static_cast<QFont::Weight>(weight));
    return result;
}

// Adds film-like grain to a part of the picture, the way camera photos carry
// sensor noise.
struct Photo {
    QRect area;
    int radius;
};

// Whether a pixel lies outside a rounded corner of the photo.
bool outsideCorner(const Photo& photo, int x, int y) {
    const int r = photo.radius;
    const int dx = std::max({photo.area.left() + r - x, x - (photo.area.right() - r), 0});
    const int dy = std::max({photo.area.top() + r - y, y - (photo.area.bottom() - r), 0});
    return dx * dx + dy * dy > r * r;
}

void addGrain(QImage& image, const Photo& photo, Random& random, int strength) {
    const QRect clipped = photo.area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (outsideCorner(photo, x, y)) {
                continue;
            }
            const int luma = random.below(2 * strength + 1) - strength;
            const int tint = random.below(5) - 2;
            const QRgb pixel = row[x];
            row[x] = qRgb(std::clamp(qRed(pixel) + luma + tint, 0, 255),
                          std::clamp(qGreen(pixel) + luma, 0, 255),
                          std::clamp(qBlue(pixel) + luma - tint, 0, 255));
        }
    }
}

// A landscape photo: sky, sun, layered hills; grain is added afterwards.
void drawPhoto(QPainter& painter, const QRectF& area, double radius, Random& random) {
    painter.save();
    QPainterPath clip;
    clip.addRoundedRect(area, radius, radius);
    painter.setClipPath(clip);

    const int hue = random.below(360);
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0, QColor::fromHsv(hue, 120, 235));
    sky.setColorAt(0.6, QColor::fromHsv((hue + 30) % 360, 90, 250));
    sky.setColorAt(1, QColor::fromHsv((hue + 50) % 360, 60, 255));
    painter.fillRect(area, sky);

    const QPointF sun(area.left() + area.width() * random.uniform(0.2, 0.8),
                      area.top() + area.height() * random.uniform(0.2, 0.45));
    const double sunRadius = area.height() * random.uniform(0.08, 0.16);
    QRadialGradient glow(sun, sunRadius * 3);
    glow.setColorAt(0, QColor(255, 250, 225, 255));
    glow.setColorAt(0.3, QColor(255, 235, 190, 150));
    glow.setColorAt(1, QColor(255, 235, 190, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(sun, sunRadius * 3, sunRadius * 3);

    for (int layer = 0; layer < 3; ++layer) {
        const double base = area.top() + area.height() * (0.5 + 0.15 * layer);
        const double a1 = random.uniform(0.03, 0.09) * area.height();
        const double a2 = random.uniform(0.01, 0.04) * area.height();
        const double f1 = random.uniform(1.0, 3.0);
        const double f2 = random.uniform(4.0, 9.0);
        const double phase = random.uniform(0, 6.28);
        QPainterPath hills;
        hills.moveTo(area.bottomLeft());
        const int steps = 48;
        for (int i = 0; i <= steps; ++i) {
            const double t = static_cast<double>(i) / steps;
            const double y = base - a1 * std::sin(t * f1 * 3.14159 + phase) -
                             a2 * std::sin(t * f2 * 3.14159 + phase * 2);
            hills.lineTo(area.left() + t * area.width(), y);
        }
        hills.lineTo(area.bottomRight());
        hills.closeSubpath();
        QLinearGradient shade(QPointF(0, base - a1), QPointF(0, area.bottom()));
        const int value = 150 - layer * 45;
        shade.setColorAt(0, QColor::fromHsv((hue + 140 + layer * 10) % 360, 90, value));
        shade.setColorAt(1, QColor::fromHsv((hue + 150 + layer * 10) % 360, 110, value - 40));
        painter.setBrush(shade);
        painter.drawPath(hills);
    }
    painter.restore();
}

// A flat card in place of a photo: one solid colour (flat kind) or a
// translucent white panel over the wallpaper (noise kind).
void drawPanel(QPainter& painter, const QRectF& area, double radius, ScreenshotKind kind,
               Random& random) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kind == ScreenshotKind::flat ? QColor::fromHsv(random.below(360), 110, 235)
                                                  : QColor(255, 255, 255, 90));
    painter.drawRoundedRect(area, radius, radius);
}

// A full-screen wallpaper of soft colour blobs, the kind of smooth gradient
// that shows banding unless it carries fine grain.
void drawWallpaper(QImage& image, Random& random) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(image.rect());
    const int hue = random.below(360);
    painter.fillRect(area, QColor::fromHsv(hue, 70, 235));
    painter.setPen(Qt::NoPen);
    for (int blob = 0; blob < 6; ++blob) {
        const QPointF centre(area.width() * random.uniform(0, 1),
                             area.height() * random.uniform(0, 1));
        const double radius = area.height() * random.uniform(0.25, 0.6);
        QRadialGradient glow(centre, radius);
        const QColor colour = QColor::fromHsv((hue + random.below(160)) % 360, 140, 240);
        glow.setColorAt(0, colour);
        glow.setColorAt(1, QColor(colour.red(), colour.green(), colour.blue(), 0));
        painter.setBrush(glow);
        painter.drawEllipse(centre, radius, radius);
    }
}

void drawStatusBar(QPainter& painter, double width, double s) {
    painter.setPen(QColor(0, 0, 0));
    painter.setFont(font(17 * s, QFont::DemiBold));
    painter.drawText(QRectF(24 * s, 14 * s, 90 * s, 26 * s), Qt::AlignCenter,
                     QStringLiteral("9:41"));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const double right = width - 24 * s;
    for (int bar = 0; bar < 4; ++bar) {
        const double h = (4 + bar * 2.6) * s;
        painter.drawRoundedRect(QRectF(right - 70 * s + bar * 4.6 * s, 33 * s - h, 3 * s, h),
                                0.8 * s, 0.8 * s);
    }
    painter.drawEllipse(QPointF(right - 41 * s, 28 * s), 5 * s, 5 * s);
    painter.setPen(QPen(QColor(0, 0, 0, 110), 1.2 * s));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(right - 27 * s, 21 * s, 25 * s, 12 * s), 3.5 * s, 3.5 * s);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(right - 25 * s, 23 * s, 19 * s, 8 * s), 2 * s, 2 * s);
}

void drawTabBar(QPainter& painter, double width, double height, double s, Random& random) {
    const double top = height - 83 * s;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(249, 249, 251, 240));
    painter.drawRect(QRectF(0, top, width, 83 * s));
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawRect(QRectF(0, top, width, std::max(1.0, 0.5 * s)));
    const int tabs = 4;
    for (int i = 0; i < tabs; ++i) {
        const double cx = width * (i + 0.5) / tabs;
        const QColor colour = i == 0 ? QColor(0, 122, 255) : QColor(142, 142, 147);
        painter.setBrush(colour);
        painter.drawRoundedRect(QRectF(cx - 12 * s, top + 8 * s, 24 * s, 22 * s), 6 * s, 6 * s);
        painter.setPen(colour);
        painter.setFont(font(10 * s, QFont::Medium));
        painter.drawText(QRectF(cx - 50 * s, top + 33 * s, 100 * s, 14 * s), Qt::AlignCenter,
                         words(random, 1, true));
        painter.setPen(Qt::NoPen);
    }
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(width / 2 - 67 * s, height - 13 * s, 134 * s, 5 * s), 2.5 * s,
                            2.5 * s);
}

} // namespace

std::optional<ScreenshotKind> screenshotKindNamed(const std::string& name) {
    if (name == "flat") {
        return ScreenshotKind::flat;
    }
    if (name == "photo") {
        return ScreenshotKind::photo;
    }
    if (name == "noise") {
        return ScreenshotKind::noise;
    }
    return std::nullopt;
}

QImage drawScreenshot(QSize size, std::uint32_t seed, ScreenshotKind kind) {
    Random random(seed);
    QImage image(size, QImage::Format_RGB32);
    if (kind == ScreenshotKind::noise) {
        drawWallpaper(image, random);
        addGrain(image, {image.rect(), 0}, random, 4);
    }
    const double width = size.width();
    const double height = size.height();
    const int shortSide = std::min(size.width(), size.height());
    // Pixels per point as on the devices: 3 for recent phones, 2 for tablets
    // and the small classic phone.
    const double s = (shortSide >= 1000 && shortSide < 1400) ? 3.0 : 2.0;
    std::vector<Photo> photos;

    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        if (kind == ScreenshotKind::flat) {
            painter.fillRect(image.rect(), QColor(242, 242, 247));
        } else if (kind == ScreenshotKind::photo) {
            QLinearGradient background(0, 0, 0, height);
            background.setColorAt(0, QColor(255, 255, 255));
            background.setColorAt(1, QColor(236, 236, 242));
            painter.fillRect(image.rect(), background);
        }

        drawStatusBar(painter, width, s);
        const double margin = 16 * s;
        painter.setPen(Qt::black);
        painter.setFont(font(32 * s, QFont::Bold));
        painter.drawText(QRectF(margin, 58 * s, width - 2 * margin, 44 * s),
                         Qt::AlignLeft | Qt::AlignVCenter, words(random, 1, true));

        const QRectF search(margin, 108 * s, width - 2 * margin, 36 * s);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(118, 118, 128, 30));
        painter.drawRoundedRect(search, 10 * s, 10 * s);
        painter.setPen(QPen(QColor(60, 60, 67, 150), 1.8 * s));
        painter.setBrush(Qt::NoBrush);
        const QPointF lens(search.left() + 17 * s, search.center().y() - 1.5 * s);
        painter.drawEllipse(lens, 5.5 * s, 5.5 * s);
        painter.drawLine(lens + QPointF(4 * s, 4 * s), lens + QPointF(8.5 * s, 8.5 * s));
        painter.setFont(font(16 * s, QFont::Normal));
        painter.drawText(search.adjusted(34 * s, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Search"));

        double y = 160 * s;
        const QRectF hero(margin, y, width - 2 * margin, std::min(260 * s, height * 0.25));
        const auto picture = [&](const QRectF& rect, double radius) {
            if (kind == ScreenshotKind::photo) {
                drawPhoto(painter, rect, radius, random);
                photos.push_back({rect.toRect(), static_cast<int>(radius)});
            } else {
                drawPanel(painter, rect, radius, kind, random);
            }
        };
        picture(hero, 14 * s);
        painter.setPen(Qt::white);
        painter.setFont(font(22 * s, QFont::Bold));
        painter.drawText(hero.adjusted(16 * s, 0, -16 * s, -16 * s),
                         Qt::AlignLeft | Qt::AlignBottom, words(random, 2, true));
        y = hero.bottom() + 20 * s;

        const int columns = std::max(3, static_cast<int>(width / (130 * s)));
        const double gap = 4 * s;
        const double tile = (width - 2 * margin - gap * (columns - 1)) / columns;
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < columns; ++column) {
                const QRectF rect(margin + column * (tile + gap), y, tile, tile);
                picture(rect, 4 * s);
            }
            y += tile + gap;
        }
        y += 16 * s;

        const double tabTop = height - 83 * s;
        while (y + 64 * s < tabTop) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor::fromHsv(random.below(360), 150, 230));
            painter.drawRoundedRect(QRectF(margin, y + 10 * s, 40 * s, 40 * s), 9 * s, 9 * s);
            painter.setPen(QColor(0, 0, 0));
            painter.setFont(font(17 * s, QFont::DemiBold));
            painter.drawText(QRectF(margin + 52 * s, y + 8 * s, width - 120 * s, 22 * s),
                             Qt::AlignLeft | Qt::AlignVCenter, words(random, 3, true));
            painter.setPen(QColor(60, 60, 67, 153));
            painter.setFont(font(14 * s, QFont::Normal));
            painter.drawText(QRectF(margin + 52 * s, y + 31 * s, width - 120 * s, 20 * s),
                             Qt::AlignLeft | Qt::AlignVCenter, words(random, 6, true));
            painter.drawText(QRectF(width - margin - 60 * s, y + 8 * s, 60 * s, 22 * s),
                             Qt::AlignRight | Qt::AlignVCenter,
                             QStringLiteral("%1:%2")
                                 .arg(random.below(12) + 1)
                                 .arg(random.below(60), 2, 10, QLatin1Char('0')));
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(60, 60, 67, 70));
            painter.drawRect(QRectF(margin + 52 * s, y + 60 * s, width, std::max(1.0, 0.5 * s)));
            y += 61 * s;
        }
        drawTabBar(painter, width, height, s, random);
    }
    for (const Photo& photo : photos) {
        addGrain(image, photo, random, 7);
    }
    return image;
}

} // namespace cadrelle::artwork
