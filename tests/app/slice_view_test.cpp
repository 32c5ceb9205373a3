#include "app/slice_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/dataset_fit.h"
#include "app/scan_samples.h"
#include "volume/resample.h"
#include "volume/volume.h"

namespace {

using app::SlicePlane;

// A 4 x 5 x 6 scan, 1 x 2 x 3 mm, whose sample at (i, j, k) is 50 i + 10 j + k (below 256).
app::ScanSamples numberedScan(bool hounsfield) {
    app::ScanSamples scan;
    const int dims[3] = {4, 5, 6};
    std::copy(dims, dims + 3, scan.dims);
    scan.spacing[1] = 2.0;
    scan.spacing[2] = 3.0;
    scan.hounsfield = hounsfield;
    for (int k = 0; k < 6; ++k)
        for (int j = 0; j < 5; ++j)
            for (int i = 0; i < 4; ++i) scan.samples.push_back(static_cast<uint16_t>(50 * i + 10 * j + k));
    return scan;
}

// The plane's image with the identity grey table.
std::vector<uint8_t> planeImage(const app::ScanSamples& scan, SlicePlane plane, int& width, int& height) {
    uint8_t identity[4096];
    for (int v = 0; v < 4096; ++v) identity[v] = static_cast<uint8_t>(v & 0xff);
    app::planeSize(scan, plane, width, height);
    std::vector<uint8_t> image(static_cast<std::size_t>(width * height));
    app::sliceImage(scan, plane, app::sliceView.voxel, identity, image.data());
    return image;
}

TEST(SliceView, PlanesShowThePatientInTheRadiologicalConvention) {
    const app::ScanSamples scan = numberedScan(false);
    app::startSliceView(scan, true);
    const int crosshair[3] = {1, 2, 3};
    std::copy(crosshair, crosshair + 3, app::sliceView.voxel);
    struct Row {
        SlicePlane plane;
        int width, height;
        // The samples at the image's lower left, lower right and upper left.
        int lowerLeft, lowerRight, upperLeft;
    };
    const Row rows[] = {
        // Axial from the feet: the patient's right (i = 0) on the left, the front (high j) at the top.
        {SlicePlane::axial, 4, 5, 3, 153, 43},
        // Coronal from the front: right on the left, the head (high k) at the top.
        {SlicePlane::coronal, 4, 6, 20, 170, 25},
        // Sagittal from the patient's left: the face (high j) on the left, the head at the top.
        {SlicePlane::sagittal, 5, 6, 90, 50, 95},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.plane));
        int width = 0, height = 0;
        const std::vector<uint8_t> image = planeImage(scan, row.plane, width, height);
        ASSERT_EQ(width, row.width);
        ASSERT_EQ(height, row.height);
        EXPECT_EQ(image[0], row.lowerLeft);
        EXPECT_EQ(image[static_cast<std::size_t>(width - 1)], row.lowerRight);
        EXPECT_EQ(image[static_cast<std::size_t>((height - 1) * width)], row.upperLeft);
    }
    EXPECT_EQ(std::string(app::planeAxes(SlicePlane::axial).letters), "RLAP");
    EXPECT_EQ(std::string(app::planeAxes(SlicePlane::coronal).letters), "RLSI");
    EXPECT_EQ(std::string(app::planeAxes(SlicePlane::sagittal).letters), "APSI");
    double width = 0, height = 0;
    app::planeExtent(scan, SlicePlane::sagittal, width, height);
    EXPECT_DOUBLE_EQ(width, 10.0);  // 5 samples 2 mm apart
    EXPECT_DOUBLE_EQ(height, 18.0);
}

TEST(SliceView, PointingMovesTheCrosshairWithinThePlaneAndSteppingAcrossIt) {
    const app::ScanSamples scan = numberedScan(true);
    app::startSliceView(scan, false);
    EXPECT_EQ(std::vector<int>(app::sliceView.voxel, app::sliceView.voxel + 3), (std::vector<int>{2, 2, 3}));
    const struct {
        SlicePlane plane;
        double across, up;
        int voxel[3];
    } rows[] = {
        {SlicePlane::axial, 0.99, 0.01, {3, 0, 3}},    // lower right: the patient's left, the back
        {SlicePlane::coronal, 0.01, 0.99, {0, 0, 5}},  // upper left: right, the head; y stays
        {SlicePlane::sagittal, 0.01, 0.5, {0, 4, 3}},  // left: the face; x stays
        {SlicePlane::sagittal, -3.0, 7.0, {0, 4, 5}},  // outside: the nearest edge
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.across);
        app::pointCrosshair(scan, row.plane, row.across, row.up);
        EXPECT_EQ(std::vector<int>(app::sliceView.voxel, app::sliceView.voxel + 3),
                  std::vector<int>(row.voxel, row.voxel + 3));
        double across = 0, up = 0;
        app::crosshairOnPlane(scan, row.plane, across, up);
        const unsigned revision = app::sliceView.revision;
        app::pointCrosshair(scan, row.plane, across, up);
        EXPECT_EQ(std::vector<int>(app::sliceView.voxel, app::sliceView.voxel + 3),
                  std::vector<int>(row.voxel, row.voxel + 3))
            << "the crosshair's place on the pane points back at it";
        EXPECT_NE(app::sliceView.revision, revision);
    }
    // The axial pane steps along z, to either end and no further.
    EXPECT_FALSE(app::stepSlice(scan, SlicePlane::axial, 1));
    EXPECT_TRUE(app::stepSlice(scan, SlicePlane::axial, -2));
    EXPECT_EQ(app::sliceView.voxel[2], 3);
    EXPECT_TRUE(app::stepSlice(scan, SlicePlane::coronal, -1));
    EXPECT_EQ(app::sliceView.voxel[1], 3);
    EXPECT_TRUE(app::stepSlice(scan, SlicePlane::sagittal, 9));
    EXPECT_EQ(app::sliceView.voxel[0], 3);
    EXPECT_EQ(app::crosshairLine(scan), "crosshair: 3.0 6.0 9.0 mm, voxel 3 3 3, value -841");
    app::resetSliceView();
    EXPECT_EQ(std::vector<int>(app::sliceView.voxel, app::sliceView.voxel + 3), (std::vector<int>{2, 2, 3}));
}

TEST(SliceView, WindowAndLevelFromPresetsDragsAndPercentiles) {
    const app::ScanSamples ct = numberedScan(true);
    app::startSliceView(ct, false);
    EXPECT_FLOAT_EQ(app::sliceView.window, 400.0f) << "a CT starts in soft tissue";
    EXPECT_FLOAT_EQ(app::sliceView.level, 40.0f);
    uint8_t table[4096];
    app::greyTable(ct, app::sliceView.window, app::sliceView.level, table);
    const int hu = app::kHounsfieldOffset;
    EXPECT_EQ(table[hu - 160], 0);
    EXPECT_EQ(table[hu - 400], 0);
    EXPECT_EQ(table[hu + 240], 255);
    EXPECT_EQ(table[hu + 40], 128);
    EXPECT_FALSE(app::applyWindowPreset('8'));
    const struct {
        char key;
        float window, level;
    } presets[] = {{'4', 80, 40}, {'6', 1800, 400}, {'7', 1500, -600}, {'5', 400, 40}};
    for (const auto& preset : presets) {
        EXPECT_TRUE(app::applyWindowPreset(preset.key));
        EXPECT_FLOAT_EQ(app::sliceView.window, preset.window);
        EXPECT_FLOAT_EQ(app::sliceView.level, preset.level);
    }
    // Right widens, up raises, in proportion to the window the drag began with.
    app::dragWindow(400.0f, 100, -50);
    EXPECT_FLOAT_EQ(app::sliceView.window, 600.0f);
    EXPECT_FLOAT_EQ(app::sliceView.level, 140.0f);
    app::dragWindow(400.0f, -10000, 0);
    EXPECT_GE(app::sliceView.window, 1.0f) << "the window never closes";
    app::resetSliceView();
    EXPECT_FLOAT_EQ(app::sliceView.window, 400.0f);

    // Other scans: presets do nothing, the start is the 1st to 99th percentile.
    app::ScanSamples mr;
    mr.dims[0] = 1000;
    mr.dims[1] = mr.dims[2] = 1;
    for (int v = 0; v < 1000; ++v) mr.samples.push_back(static_cast<uint16_t>(v < 5 ? 4000 : 1000 + v));
    app::startSliceView(mr, false);
    EXPECT_FALSE(app::applyWindowPreset('4'));
    int low = 0, high = 0;
    app::percentileRange(mr, low, high);
    EXPECT_EQ(low, 1015);   // ten samples (1 %) lie below
    EXPECT_EQ(high, 1994);  // the five outliers lie beyond the 99th percentile
    EXPECT_FLOAT_EQ(app::sliceView.window, static_cast<float>(high - low));
    EXPECT_EQ(app::crosshairLine(mr), "crosshair: 500.0 0.0 0.0 mm, voxel 500 0 0, value 1500");
    app::startSliceView(app::ScanSamples(), true);
    EXPECT_FALSE(app::sliceView.fourPanes || app::toggleLayout()) << "nothing to slice: the 3D view alone";
}

}  // namespace

namespace {

// The 3D view's mark must land where viewer mode's loader put each sample:
// the placement agrees with the loader's grid voxel by voxel, whether the
// loader copies, scales down or fits the dataset.
std::vector<int> loaderGrid(const std::vector<uint16_t>& samples, const std::vector<int>& dims, int edge) {
    std::vector<int> grid(static_cast<std::size_t>(edge) * edge * edge, 0);
    if (!app::datasetNeedsFitting(dims.data(), edge)) {
        std::vector<volume::VoxelRecord> records(grid.size());
        volume::resampleToGrid(samples.data(), dims[0], dims[1], dims[2], edge, records.data());
        for (std::size_t v = 0; v < grid.size(); ++v) grid[v] = records[v].value;
        return grid;
    }
    scan::SampleGrid in;
    std::copy(dims.begin(), dims.end(), in.dims);
    in.samples = samples;
    std::vector<uint16_t> fitted;
    volume::PlacedSamples placed;
    std::string error;
    EXPECT_TRUE(app::fitDatasetSamples(in, edge, fitted, placed, error)) << error;
    std::size_t i = 0;
    for (int z = 0; z < placed.dims[2]; ++z)
        for (int y = 0; y < placed.dims[1]; ++y)
            for (int x = 0; x < placed.dims[0]; ++x)
                grid[static_cast<std::size_t>(
                    x + placed.offset[0] + edge * (y + placed.offset[1] + edge * (z + placed.offset[2])))] =
                    fitted[i++];
    return grid;
}

TEST(ScanSamples, DatasetPlacementMatchesTheLoadersGrid) {
    constexpr int kEdge = 8;
    // Smaller than the cube (fitted up), larger on every axis (scaled down),
    // one axis short of the edge (fitted down), spanning it (copied).
    for (const auto& dims : {std::vector<int>{5, 4, 3}, {20, 12, 10}, {12, 9, 20}, {16, 6, 9}, {8, 5, 3}}) {
        SCOPED_TRACE(testing::PrintToString(dims));
        const bool fitted = app::datasetNeedsFitting(dims.data(), kEdge);
        std::vector<uint16_t> samples;  // 1 + i + 20 j + 240 k
        for (int k = 0; k < dims[2]; ++k)
            for (int j = 0; j < dims[1]; ++j)
                for (int i = 0; i < dims[0]; ++i)
                    samples.push_back(static_cast<uint16_t>(1 + i + 20 * j + 240 * k));
        const std::vector<int> grid = loaderGrid(samples, dims, kEdge);
        float origin[3], span[3];
        app::placeDataset(dims.data(), origin, span);
        for (int v = 0; v < kEdge * kEdge * kEdge; ++v) {
            const int g[3] = {v % kEdge, v / kEdge % kEdge, v / (kEdge * kEdge)};
            const int value = grid[static_cast<std::size_t>(v)];
            const int source[3] = {(value - 1) % 20, (value - 1) / 20 % 12, (value - 1) / 240};
            bool beyond = false, edge = false;
            int index[3];
            for (int a = 0; a < 3; ++a) {
                const float f = ((static_cast<float>(g[a]) + 0.5f) / kEdge - origin[a]) / span[a];
                index[a] = static_cast<int>(std::floor(f * static_cast<float>(dims[a])));
                beyond = beyond || f < 0.0f || f >= 1.0f;
                // Grid voxels the data's last face cuts may be either.
                const float reach = (origin[a] + span[a]) * kEdge - static_cast<float>(g[a]);
                edge = edge || (reach > -0.5f && reach < 1.5f);
            }
            if (edge) continue;
            EXPECT_EQ(value == 0, beyond) << v << ": samples lie exactly where the placement says";
            // Fitting interpolates between samples, so only a copy or a
            // scaling keeps each sample's own index.
            for (int a = 0; a < 3 && !beyond && !fitted; ++a)
                EXPECT_LE(std::abs(source[a] - index[a]), 1) << v << " " << a;
        }
    }
}

}  // namespace
