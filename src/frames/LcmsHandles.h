#pragma once

#include <lcms2.h>

#include <memory>

namespace cadrelle {

// Owners of Little CMS handles: each frees its handle once, on every path.
struct LcmsContextDeleter {
    void operator()(void* context) const { cmsDeleteContext(static_cast<cmsContext>(context)); }
};
struct LcmsProfileDeleter {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct LcmsTransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
struct LcmsToneCurveDeleter {
    void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using LcmsContext = std::unique_ptr<void, LcmsContextDeleter>;
using LcmsProfile = std::unique_ptr<void, LcmsProfileDeleter>;
using LcmsTransform = std::unique_ptr<void, LcmsTransformDeleter>;
using LcmsToneCurve = std::unique_ptr<cmsToneCurve, LcmsToneCurveDeleter>;

} // namespace cadrelle
