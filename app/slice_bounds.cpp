#include "app/slice_bounds.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>

#include "glext/entry_points.h"

namespace app {
namespace {

// How far the wobble programs move a sample across x and y (0.025), with
// slack.
constexpr float kWobbleReach = 0.03f;

}  // namespace

uint8_t lowestIsosurfaceTexel(float threshold) {
    // Filtering never gives more than the largest of the texels it reads,
    // so a fragment passes only near a texel >= threshold * 255; one step
    // lower absorbs rounding.
    if (!(threshold > 0.0f)) return 0;
    const float level = std::ceil(threshold * 255.0f) - 1.0f;
    return level >= 255.0f ? 255 : static_cast<uint8_t>(std::fmax(level, 0.0f));
}

int lowestTransparentTexel(const uint8_t* table, int entries) {
    // The program reads entry floor(density * entries) and discards the
    // fragment when that entry's opacity is zero.
    for (int k = 0; k < entries; ++k) {
        if (table[4 * k + 3] == 0) continue;
        const int level = k * 255 / entries - 1;  // one step lower for rounding
        return level > 0 ? level : 0;
    }
    return -1;
}

volume::TextureBox wholeVolume() {
    volume::TextureBox box;
    // A little beyond the unit cube, where the programs discard.
    box.low = {-0.01f, -0.01f, -0.01f};
    box.high = {1.01f, 1.01f, 1.01f};
    return box;
}

void setSliceBounds(const volume::TextureBox& box, bool wobble) {
    if (box.empty) {
        // A point far outside the volume: every slice collapses.
        glext::glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 0, 4.0f, 4.0f, 4.0f, 0.0f);
        glext::glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 1, 0.0f, 0.0f, 0.0f, 0.0f);
        return;
    }
    const float reach = wobble ? kWobbleReach : 0.0f;
    const float lowX = box.low[0] - reach, lowY = box.low[1] - reach, lowZ = box.low[2];
    glext::glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 0, lowX, lowY, lowZ, 0.0f);
    glext::glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 1, box.high[0] + reach - lowX,
                                      box.high[1] + reach - lowY, box.high[2] - lowZ, 0.0f);
}

}  // namespace app
