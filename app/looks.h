// Looks: ways of showing a scan, each a colour table over the sample values
// (0 to 4095), an isosurface threshold and which passes are on. The looks
// are one table of data in looks.cpp; the frame loop turns the current one
// into the 256-entry transfer table without touching the volume.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {

// A colour at a sample value: red, green, blue and alpha bytes.
struct LookPoint {
    int value;
    uint8_t rgba[4];
};

// How a look's slices meet along a ray: the over operator of the passes,
// or a projection that keeps the brightest (maximum intensity) or the
// faintest (minimum intensity) colour the table gives along it.
enum class Projection { none, brightest, faintest };

struct Look {
    const char* name;
    // Between points the colour is held (steps) or interpolated (ramp);
    // below the first point it is the first point's, above the last the last's.
    bool ramp;
    std::vector<LookPoint> points;  // rising values
    float threshold;                // isosurface alpha-test reference
    bool isosurface;
    bool transparent;
    Projection projection;  // not none: drawn alone, without the passes
};

// Every look, the start look first.
const std::vector<Look>& looks();

// The index of the look named `name` (case as listed), or -1.
int findLook(const std::string& name);

// The names in order, quoted and separated by commas, for messages.
std::string lookNames();

// One notch of the level shift: 1/64 of the value range.
constexpr int kShiftSamples = 64;

// The 256 RGBA entries of `look` moved `shift` notches up the values: entry k
// takes the colour of sample value 16 k - 64 shift, clamped to 0..4094.
void makeLookTable(const Look& look, int shift, uint8_t table[256 * 4]);

// The isosurface threshold of `look` moved `shift` notches up the values.
float lookThreshold(const Look& look, int shift);

// The look a run starts in: `lookOption` (--look) when given, else the one
// the scan's modality suggests ("MR" for "MR", otherwise "CT"). -1 when
// `lookOption` names no look; `error` then lists the names.
int startLookFor(const std::string& modality, const std::string& lookOption, std::string& error);

}  // namespace app
