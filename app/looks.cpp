#include "app/looks.h"

#include <algorithm>

namespace app {
namespace {

// The CT values are Hounsfield units + 1024 (as volimport stores them); MR
// values run over 0..4095 from the scan's percentiles.
const std::vector<LookPoint> kCtTable = {
    {0, {0, 0, 0, 0}}, {300, {255, 0, 0, 15}}, {1100, {255, 255, 0, 47}}, {1300, {255, 255, 255, 160}}};

const std::vector<Look> kLooks = {
    // Lit bone under red soft tissue and yellow dense tissue.
    {"CT", false, kCtTable, 0.3f, true, true, Projection::none},
    // Only the lit bone, taken a little denser so thin soft tissue drops out.
    {"CT bone", false, kCtTable, 0.36f, true, false, Projection::none},
    // The lit skin: the surface between air and soft tissue (about -250 HU).
    {"CT skin", false, kCtTable, 0.19f, true, false, Projection::none},
    // Contrast-filled vessels (150 to 500 HU) in red over a faint veil of bone.
    {"CT vessels",
     false,
     {{0, {0, 0, 0, 0}}, {1174, {230, 40, 30, 140}}, {1524, {255, 255, 240, 12}}},
     0.3f,
     false,
     true,
     Projection::none},
    // Grey soft tissue rising with the value, the brightest tissue lit.
    {"MR",
     true,
     {{0, {0, 0, 0, 0}}, {500, {60, 60, 60, 0}}, {4095, {255, 255, 255, 90}}},
     0.35f,
     true,
     true,
     Projection::none},
    // The projections carry their grey level in alpha too: it is what marks
    // empty space (alpha 0) for the slice bounds, and the blend ignores it.
    // The brightest sample along each ray: bone and contrast-filled vessels
    // (300 HU and up) through the soft tissue, which stays a dim grey.
    {"CT MIP",
     true,
     {{924, {0, 0, 0, 0}}, {1124, {70, 70, 70, 70}}, {2524, {255, 255, 255, 255}}},
     0.3f,
     false,
     false,
     Projection::brightest},
    // The brightest sample of a scan mapped from percentiles.
    {"MR MIP",
     true,
     {{800, {0, 0, 0, 0}}, {4095, {255, 255, 255, 255}}},
     0.35f,
     false,
     false,
     Projection::brightest},
    // The faintest sample along each ray through a slab behind the cut plane
    // (the volume's middle while the cut is off): the airways and the lungs
    // dark in lighter tissue. Every value is opaque: air counts here.
    {"CT MinIP",
     true,
     {{24, {0, 0, 0, 255}}, {624, {170, 170, 170, 255}}, {1124, {255, 255, 255, 255}}},
     0.3f,
     false,
     false,
     Projection::faintest},
};

// The colour of `look` at sample value v.
void colourAt(const Look& look, int v, uint8_t out[4]) {
    const std::vector<LookPoint>& points = look.points;
    std::size_t next = 0;
    while (next < points.size() && points[next].value <= v) ++next;
    const LookPoint& low = points[next == 0 ? 0 : next - 1];
    if (next == 0 || next == points.size() || !look.ramp) {
        std::copy(low.rgba, low.rgba + 4, out);
        return;
    }
    const LookPoint& high = points[next];
    const float t = static_cast<float>(v - low.value) / static_cast<float>(high.value - low.value);
    for (int c = 0; c < 4; ++c) {
        out[c] = static_cast<uint8_t>(static_cast<float>(low.rgba[c]) +
                                      t * static_cast<float>(high.rgba[c] - low.rgba[c]) + 0.5f);
    }
}

}  // namespace

const std::vector<Look>& looks() { return kLooks; }

int findLook(const std::string& name) {
    for (std::size_t i = 0; i < kLooks.size(); ++i)
        if (name == kLooks[i].name) return static_cast<int>(i);
    return -1;
}

std::string lookNames() {
    std::string names;
    for (const Look& look : kLooks) names += (names.empty() ? "'" : ", '") + std::string(look.name) + "'";
    return names;
}

void makeLookTable(const Look& look, int shift, uint8_t table[256 * 4]) {
    for (int k = 0; k < 256; ++k) {
        const int value = std::clamp(16 * k - kShiftSamples * shift, 0, 4094);
        colourAt(look, value, table + 4 * k);
    }
}

float lookThreshold(const Look& look, int shift) {
    // A density byte is a sample value / 16; alpha is that byte / 255.
    return look.threshold + static_cast<float>(shift * kShiftSamples / 16) / 255.0f;
}

int startLookFor(const std::string& modality, const std::string& lookOption, std::string& error) {
    if (lookOption.empty()) return findLook(modality == "MR" ? "MR" : "CT");
    const int index = findLook(lookOption);
    if (index < 0) error = "no look named '" + lookOption + "'; the looks are " + lookNames();
    return index;
}

}  // namespace app
