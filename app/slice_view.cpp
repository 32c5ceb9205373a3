#include "app/slice_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace app {

SliceView sliceView;

namespace {

// Axial from the feet and coronal from the front put the patient's right on
// the left; sagittal from the patient's left puts the face on the left.
constexpr PlaneAxes kPlaneAxes[kSlicePlaneCount] = {
    {0, false, 1, 2, "RLAP"},
    {0, false, 2, 1, "RLSI"},
    {1, true, 2, 0, "APSI"},
};

constexpr float kSmallestWindow = 1.0f;
// A drag across this many pixels changes the window by the window it began with.
constexpr float kDragPixelsPerWindow = 200.0f;

int clampIndex(int value, int count) { return std::clamp(value, 0, std::max(0, count - 1)); }

// The sample index at fraction f of an axis of `count` samples.
int indexAt(double f, int count) { return clampIndex(static_cast<int>(std::floor(f * count)), count); }

}  // namespace

const PlaneAxes& planeAxes(SlicePlane plane) { return kPlaneAxes[static_cast<int>(plane)]; }

void startSliceView(const ScanSamples& scan, bool fourPanes) {
    SliceView view;
    view.enabled = !scan.empty();
    view.scan = &scan;
    view.startFourPanes = view.fourPanes = fourPanes && view.enabled;
    for (int a = 0; a < 3; ++a) view.voxel[a] = view.startVoxel[a] = scan.dims[a] / 2;
    if (scan.hounsfield) {
        view.startWindow = kWindowPresets[1].window;
        view.startLevel = kWindowPresets[1].level;
    } else if (view.enabled) {
        int low = 0, high = 0;
        percentileRange(scan, low, high);
        view.startWindow = static_cast<float>(high - low);
        view.startLevel = static_cast<float>(high + low) / 2.0f;
    }
    view.window = view.startWindow;
    view.level = view.startLevel;
    view.revision = sliceView.revision + 1;
    sliceView = view;
}

void resetSliceView() {
    if (!sliceView.enabled) return;
    for (int a = 0; a < 3; ++a) sliceView.voxel[a] = sliceView.startVoxel[a];
    sliceView.fourPanes = sliceView.startFourPanes;
    sliceView.window = sliceView.startWindow;
    sliceView.level = sliceView.startLevel;
    ++sliceView.revision;
}

bool toggleLayout() {
    if (!sliceView.enabled) return false;
    sliceView.fourPanes = !sliceView.fourPanes;
    return true;
}

bool applyWindowPreset(int key) {
    if (!sliceView.enabled || !sliceView.scan->hounsfield) return false;
    for (const WindowPreset& preset : kWindowPresets) {
        if (preset.key != key) continue;
        sliceView.window = preset.window;
        sliceView.level = preset.level;
        ++sliceView.revision;
        return true;
    }
    return false;
}

void greyTable(const ScanSamples& scan, float window, float level, uint8_t table[4096]) {
    const float width = std::max(window, kSmallestWindow);
    const float low = level - width / 2.0f;
    for (int sample = 0; sample < 4096; ++sample) {
        const float f = (static_cast<float>(scan.valueOf(sample)) - low) / width;
        table[sample] = static_cast<uint8_t>(std::lround(255.0f * std::clamp(f, 0.0f, 1.0f)));
    }
}

void planeSize(const ScanSamples& scan, SlicePlane plane, int& width, int& height) {
    const PlaneAxes& axes = planeAxes(plane);
    width = scan.dims[axes.across];
    height = scan.dims[axes.up];
}

void planeExtent(const ScanSamples& scan, SlicePlane plane, double& widthMm, double& heightMm) {
    const PlaneAxes& axes = planeAxes(plane);
    widthMm = scan.dims[axes.across] * scan.spacing[axes.across];
    heightMm = scan.dims[axes.up] * scan.spacing[axes.up];
}

void sliceImage(const ScanSamples& scan, SlicePlane plane, const int voxel[3], const uint8_t table[4096],
                uint8_t* out) {
    const PlaneAxes& axes = planeAxes(plane);
    int width = 0, height = 0;
    planeSize(scan, plane, width, height);
    int at[3] = {0, 0, 0};
    at[axes.fixed] = clampIndex(voxel[axes.fixed], scan.dims[axes.fixed]);
    for (int v = 0; v < height; ++v) {
        at[axes.up] = v;
        for (int u = 0; u < width; ++u) {
            at[axes.across] = axes.acrossFlipped ? width - 1 - u : u;
            *out++ = table[std::min<uint16_t>(scan.at(at[0], at[1], at[2]), 4095)];
        }
    }
}

void pointCrosshair(const ScanSamples& scan, SlicePlane plane, double across, double up) {
    const PlaneAxes& axes = planeAxes(plane);
    const int count = scan.dims[axes.across];
    const int u = indexAt(across, count);
    sliceView.voxel[axes.across] = axes.acrossFlipped ? count - 1 - u : u;
    sliceView.voxel[axes.up] = indexAt(up, scan.dims[axes.up]);
    ++sliceView.revision;
}

void crosshairOnPlane(const ScanSamples& scan, SlicePlane plane, double& across, double& up) {
    const PlaneAxes& axes = planeAxes(plane);
    const int count = scan.dims[axes.across];
    const int u =
        axes.acrossFlipped ? count - 1 - sliceView.voxel[axes.across] : sliceView.voxel[axes.across];
    across = (u + 0.5) / std::max(1, count);
    up = (sliceView.voxel[axes.up] + 0.5) / std::max(1, scan.dims[axes.up]);
}

bool stepSlice(const ScanSamples& scan, SlicePlane plane, int steps) {
    const int axis = planeAxes(plane).fixed;
    const int moved = clampIndex(sliceView.voxel[axis] + steps, scan.dims[axis]);
    if (moved == sliceView.voxel[axis]) return false;
    sliceView.voxel[axis] = moved;
    ++sliceView.revision;
    return true;
}

void dragWindow(float dragStartWindow, int dx, int dy) {
    const float perPixel = std::max(dragStartWindow, kSmallestWindow) / kDragPixelsPerWindow;
    sliceView.window = std::max(kSmallestWindow, sliceView.window + static_cast<float>(dx) * perPixel);
    sliceView.level -= static_cast<float>(dy) * perPixel;
    ++sliceView.revision;
}

void crosshairMillimetres(const ScanSamples& scan, double mm[3]) {
    // An unknown placement is the first sample at 0 and the axes as stored.
    const scan::PatientPlacement& place = scan.placement;
    for (int a = 0; a < 3; ++a) {
        mm[a] = place.first[a];
        for (int step = 0; step < 3; ++step)
            mm[a] += sliceView.voxel[step] * scan.spacing[step] * place.axes[step][a];
    }
}

std::string crosshairLine(const ScanSamples& scan) {
    double mm[3];
    crosshairMillimetres(scan, mm);
    const int* v = sliceView.voxel;
    char line[160];
    std::snprintf(line, sizeof line, "crosshair: %.1f %.1f %.1f mm, voxel %d %d %d, value %d", mm[0], mm[1],
                  mm[2], v[0], v[1], v[2], scan.valueOf(scan.at(v[0], v[1], v[2])));
    return line;
}

void crosshairTexturePoint(const ScanSamples& scan, float point[3]) {
    for (int a = 0; a < 3; ++a) {
        const float f =
            (static_cast<float>(sliceView.voxel[a]) + 0.5f) / static_cast<float>(std::max(1, scan.dims[a]));
        point[a] = scan.textureOrigin[a] + f * scan.textureSpan[a];
    }
}

}  // namespace app
