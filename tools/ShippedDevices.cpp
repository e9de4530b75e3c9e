#include "ShippedDevices.h"

#include <utility>

namespace cadrelle::artwork {

namespace {

const Finish kPhoneBlack{QColor(52, 52, 56), QColor(118, 118, 124)};
const Finish kPhoneSilver{QColor(204, 206, 210), QColor(246, 247, 249)};
const Finish kTabletSpaceGray{QColor(96, 97, 102), QColor(152, 153, 158)};
const Finish kTabletSilver{QColor(212, 214, 217), QColor(247, 248, 250)};

struct Model {
    const char* name;
    DeviceDesign design; // without a finish
    bool tablet;
};

// A current phone: even, thin bezels and an island in the opening.
DeviceDesign islandPhone(int width, int height, int bezel, double radius) {
    DeviceDesign design;
    design.screenWidth = width;
    design.screenHeight = height;
    design.sideBezel = design.topBezel = design.bottomBezel = bezel;
    design.band = 20;
    design.screenRadius = radius;
    design.pointScale = 3;
    design.cutout = ScreenCutout::island;
    design.buttons = ButtonLayout::phoneWithCameraControl;
    return design;
}

DeviceDesign notchPhone(int width, int height) {
    DeviceDesign design = islandPhone(width, height, 50, 142);
    design.cutout = ScreenCutout::notch;
    design.buttons = ButtonLayout::phone;
    return design;
}

DeviceDesign homeButtonPhone(int width, int height) {
    DeviceDesign design;
    design.screenWidth = width;
    design.screenHeight = height;
    design.sideBezel = 44;
    design.topBezel = design.bottomBezel = 204;
    design.band = 14;
    design.screenRadius = 0;
    design.pointScale = 2;
    design.cutout = ScreenCutout::homeButton;
    design.buttons = ButtonLayout::classicPhone;
    return design;
}

// A tablet: even bezels all round, rounded screen corners.
DeviceDesign tablet(int width, int height, int bezel, double radius, bool cameraOnLongEdge) {
    DeviceDesign design;
    design.screenWidth = width;
    design.screenHeight = height;
    design.sideBezel = design.topBezel = design.bottomBezel = bezel;
    design.band = 12;
    design.screenRadius = radius;
    design.pointScale = 2;
    design.cutout = ScreenCutout::none;
    design.buttons = ButtonLayout::tablet;
    design.cameraOnLongEdge = cameraOnLongEdge;
    return design;
}

std::vector<Model> models() {
    return {
        {"iPhone 17 Pro Max", islandPhone(1320, 2868, 36, 186), false},
        {"iPhone 17 Pro", islandPhone(1206, 2622, 36, 180), false},
        {"iPhone 17", islandPhone(1206, 2622, 40, 180), false},
        {"iPhone Air", islandPhone(1260, 2736, 40, 186), false},
        {"iPhone 16e", notchPhone(1170, 2532), false},
        {"iPhone 16 Pro Max", islandPhone(1320, 2868, 38, 186), false},
        {"iPhone 16 Pro", islandPhone(1206, 2622, 38, 180), false},
        {"iPhone 16 Plus", islandPhone(1290, 2796, 46, 160), false},
        {"iPhone 16", islandPhone(1179, 2556, 46, 165), false},
        {"iPhone SE (3rd generation)", homeButtonPhone(750, 1334), false},
        {"iPad Pro 13-inch (M5)", tablet(2064, 2752, 76, 56, true), true},
        {"iPad Pro 11-inch (M5)", tablet(1668, 2420, 76, 56, true), true},
        {"iPad Air 13-inch (M3)", tablet(2048, 2732, 80, 36, true), true},
        {"iPad Air 11-inch (M3)", tablet(1640, 2360, 80, 36, true), true},
        {"iPad (A16)", tablet(1640, 2360, 100, 50, true), true},
        {"iPad mini (A17 Pro)", tablet(1488, 2266, 108, 43, false), true},
    };
}

} // namespace

std::vector<FramePicture> shippedFramePictures() {
    std::vector<FramePicture> pictures;
    for (const Model& model : models()) {
        const std::pair<const char*, Finish> finishes[] = {
            model.tablet ? std::pair{"Space Gray", kTabletSpaceGray}
                         : std::pair{"Black", kPhoneBlack},
            {"Silver", model.tablet ? kTabletSilver : kPhoneSilver}};
        for (const auto& [finishName, finish] : finishes) {
            for (const bool landscape : {false, true}) {
                FramePicture picture;
                picture.fileName = std::string(model.name) + " - " + finishName + " - " +
                                   (landscape ? "Landscape" : "Portrait") + ".png";
                picture.design = model.design;
                picture.design.finish = finish;
                picture.landscape = landscape;
                pictures.push_back(std::move(picture));
            }
        }
    }
    return pictures;
}

FramePicture sampleFramePicture() {
    DeviceDesign design = islandPhone(750, 1334, 30, 104);
    design.band = 14;
    design.pointScale = 2;
    design.buttons = ButtonLayout::phone;
    design.finish = {QColor(70, 70, 74), QColor(138, 138, 144)};
    return {"Sample Phone - Graphite - Portrait.png", design, false};
}

FramePicture benchmarkFramePicture() {
    // 8 px for the buttons + 18 px of band + 34 (sides) or 40 (top and bottom)
    // px of glass make 1440 × 3000.
    DeviceDesign design = islandPhone(1320, 2868, 34, 186);
    design.topBezel = design.bottomBezel = 40;
    design.band = 18;
    design.finish = kPhoneBlack;
    return {"Benchmark Phone - Black - Portrait.png", design, false};
}

} // namespace cadrelle::artwork
