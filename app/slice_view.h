// The slices of viewer mode held as data: the layout (the 3D view alone or
// four panes), the crosshair voxel every pane is drawn through, and the
// window and level of the grey scale. Inputs change this state; the panes
// and the 3D view's mark are drawn from it. One thread touches it.
#pragma once

#include <cstdint>
#include <string>

#include "app/scan_samples.h"

namespace app {

// The three slice panes, in layout order (top left, top right, bottom left).
enum class SlicePlane { axial, coronal, sagittal };
constexpr int kSlicePlaneCount = 3;

// How a plane lies on its pane: the scan axis across the pane (left to
// right, reversed when `acrossFlipped`), the one up the pane, the one the
// plane is fixed on, and the patient directions beyond the pane's left,
// right, top and bottom edges.
struct PlaneAxes {
    int across;
    bool acrossFlipped;
    int up;
    int fixed;
    const char* letters;
};
const PlaneAxes& planeAxes(SlicePlane plane);

struct SliceView {
    bool enabled = false;               // viewer mode with samples to slice
    const ScanSamples* scan = nullptr;  // what the panes slice
    bool fourPanes = false;
    bool startFourPanes = false;
    int voxel[3] = {0, 0, 0};  // the crosshair
    int startVoxel[3] = {0, 0, 0};
    float window = 400.0f;  // in the values the user reads (Hounsfield units for a CT)
    float level = 40.0f;
    float startWindow = 400.0f, startLevel = 40.0f;
    unsigned revision = 0;  // changes whenever a slice image would
};

extern SliceView sliceView;

// Window presets of a CT, in Hounsfield units, by key.
struct WindowPreset {
    char key;
    const char* name;
    float window;
    float level;
};
constexpr WindowPreset kWindowPresets[] = {
    {'4', "brain", 80.0f, 40.0f},
    {'5', "soft tissue", 400.0f, 40.0f},
    {'6', "bone", 1800.0f, 400.0f},
    {'7', "lung", 1500.0f, -600.0f},
};

// Sets the start: the crosshair at the middle of `scan`, soft tissue for a
// CT, the 1st to 99th percentile otherwise, and the layout asked for.
// `scan` must outlive the view.
void startSliceView(const ScanSamples& scan, bool fourPanes);
// Back to the start (`r`): crosshair, window and level, layout.
void resetSliceView();
// `m`: the 3D view alone or four panes. False when slices are off.
bool toggleLayout();
// Keys 4 to 7 on a CT; false for any other key or scan.
bool applyWindowPreset(int key);

// The grey (0 to 255) of each stored sample value under the window.
void greyTable(const ScanSamples& scan, float window, float level, uint8_t table[4096]);

// The plane through the crosshair as grey bytes, `width` x `height` =
// the scan's across and up axes, rows from the bottom.
void sliceImage(const ScanSamples& scan, SlicePlane plane, const int voxel[3], const uint8_t table[4096],
                uint8_t* out);
void planeSize(const ScanSamples& scan, SlicePlane plane, int& width, int& height);
// The plane's extent on its pane, in mm.
void planeExtent(const ScanSamples& scan, SlicePlane plane, double& widthMm, double& heightMm);

// Moves the crosshair to the plane's point at fractions (across, up) of its
// pane image, from its lower left corner; the fixed axis stays.
void pointCrosshair(const ScanSamples& scan, SlicePlane plane, double across, double up);
// Where the crosshair lies on the plane's pane image, as fractions.
void crosshairOnPlane(const ScanSamples& scan, SlicePlane plane, double& across, double& up);
// The next (positive) or previous slice of the plane; false at either end.
bool stepSlice(const ScanSamples& scan, SlicePlane plane, int steps);
// A right drag by (dx, dy) pixels since the last: right widens the window,
// up raises the level, both in proportion to `dragStartWindow`.
void dragWindow(float dragStartWindow, int dx, int dy);

// The crosshair's position in mm: in DICOM patient coordinates (x to the
// patient's left, y to the back, z to the head) where the scan records its
// place, else from the first sample's centre along x y z.
void crosshairMillimetres(const ScanSamples& scan, double mm[3]);
// "crosshair: x y z mm, voxel i j k, value V".
std::string crosshairLine(const ScanSamples& scan);
// The crosshair in the rendering cube's texture coordinates.
void crosshairTexturePoint(const ScanSamples& scan, float point[3]);

}  // namespace app
