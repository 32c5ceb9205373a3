// Bounds the slices of each pass to the part of the volume where its
// fragments can leave a mark. The vertex program shrinks every slice to the
// box it is given (environment parameters 0 and 1 of the vertex program);
// outside it the isosurface's alpha test and the transparent program's
// opacity test would discard every fragment, so the picture is the same
// and the fragment work is smaller.
#pragma once

#include <cstdint>

#include "volume/density_bounds.h"

namespace app {

// The lowest density byte whose neighbourhood can pass the alpha test
// (alpha >= threshold) of the isosurface's first draw.
uint8_t lowestIsosurfaceTexel(float threshold);

// The lowest density byte whose neighbourhood can reach an entry of the
// transfer table (RGBA bytes, read nearest) with any opacity, or -1 when no
// entry has opacity.
int lowestTransparentTexel(const uint8_t* table, int entries);

// The box that lets every fragment through: the whole volume.
volume::TextureBox wholeVolume();

// Hands the box to the vertex program; the wobble programs displace their
// samples, so with wobble on the box grows by their reach.
void setSliceBounds(const volume::TextureBox& box, bool wobble);

}  // namespace app
