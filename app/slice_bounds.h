// What bounds the slices of each pass to the part of the volume where its
// fragments can leave a mark: the density level each pass needs, the boxes
// of the blocks that reach it, and where a box lies in slice space. Outside
// the boxes the isosurface's alpha test and the transparent program's
// opacity test would discard every fragment, so the picture is the same and
// the fragment work is smaller. The vertex program can shrink the slices of
// each pair to a rectangle (its environment parameters); the viewer hands it
// whole ones and draws the quads of slice_tiles.h instead.
#pragma once

#include <cstdint>
#include <vector>

#include "app/slice_geometry.h"
#include "volume/density_bounds.h"

namespace app {

// The lowest density byte whose neighbourhood can pass the alpha test
// (alpha >= threshold) of the isosurface's first draw.
uint8_t lowestIsosurfaceTexel(float threshold);

// The lowest density byte whose neighbourhood can reach an entry of the
// transfer table (RGBA bytes, read nearest) with any opacity, or -1 when no
// entry has opacity.
int lowestTransparentTexel(const uint8_t* table, int entries);

// The boxes that let every fragment through: the whole volume.
std::vector<volume::TextureBox> wholeVolume();

// Where a box (in texture space) lies in slice space, and the slices that
// cross it (none when first > last). modelview is column-major, as GL keeps
// it, and rigid: texture coordinate = modelview . (s, t, w, 1). The wobble
// programs displace their samples across x and y by up to wobbleReach.
struct SliceSpan {
    float low[3], high[3];  // s, t, w
    int first, last;
};
SliceSpan sliceSpan(const volume::TextureBox& box, const float modelview[16], float wobbleReach,
                    const SliceStack& stack);

// Hands the vertex program the whole square (0 to 1) as the rectangle of
// every pair of slices, once for the run: the quads carry the cells.
void loadWholeSliceRects();

// How far the wobble programs move a sample across x and y (0.025), with
// slack.
constexpr float kWobbleReach = 0.03f;

}  // namespace app
