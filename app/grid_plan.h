// What the viewer's cube edge decides: how many slices cross the cube and
// how far apart, how opaque one slice of the transparent pass is, and how
// much memory a start at that edge needs. With no --grid the plan is the
// fixed one: a 128 cube, 166 slices 1/150 apart, the table as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/slice_geometry.h"
#include "app/viewer_options.h"

namespace app {

struct GridPlan {
    int edge = 128;
    SliceStack slices;  // their spacing in w is across the unit cube
    // The added rendering (jittered sampling, corrected opacity): on
    // whenever --grid is given or a scan is opened directly.
    bool addedRendering = false;
};

// The plan for the options: the slices keep at least the spacing per voxel
// of the 128 cube (166 slices over 128 voxels) and cover the same depth.
GridPlan planGrid(const ViewerOptions& options);

// Turns the opacity of every RGBA entry of `table` into the opacity of a
// slice `spacingRatio` times as far apart as the 128 cube's, so that the
// slices of any edge add up to the same look; an entry with opacity keeps
// at least 1.
void correctTableOpacity(uint8_t* table, int entries, float spacingRatio);

// The viewer's 256-entry table as the plan's slices need it: corrected for
// their spacing under the added rendering, left as it is otherwise.
void fitTableToSlices(const GridPlan& plan, uint8_t* table);

// Memory a start at `edge` takes at its peak: the volume, its images and
// the driver's copies of the textures.
std::size_t bytesForEdge(int edge);

// The largest edge that both the driver's 3D texture limit and
// `availableBytes` allow (0 when unknown counts as no limit); 0 when none.
int largestFittingEdge(int maxTextureEdge, std::size_t availableBytes);

// "" when `edge` fits, else the refusal, naming the largest edge that fits.
std::string refuseGridEdge(int edge, int maxTextureEdge, std::size_t availableBytes);

}  // namespace app
