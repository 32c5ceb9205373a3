#include "app/slice_bounds.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>

#include "glext/viewer_entry_points.h"

namespace app {

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

std::vector<volume::TextureBox> wholeVolume() {
    // A little beyond the unit cube, where the programs discard.
    volume::TextureBox box;
    box.low = {-0.01f, -0.01f, -0.01f};
    box.high = {1.01f, 1.01f, 1.01f};
    return {box};
}

SliceSpan sliceSpan(const volume::TextureBox& box, const float modelview[16], float wobbleReach,
                    const SliceStack& stack) {
    // Column-major: element (row r, column c) is modelview[4c + r]. The
    // inverse of a rigid map turns texture space back into slice space.
    const auto rotation = [modelview](int r, int c) { return modelview[4 * c + r]; };
    const float shift[3] = {modelview[12], modelview[13], modelview[14]};
    float centre[3], half[3];
    for (int a = 0; a < 3; ++a) {
        const float reach = a < 2 ? wobbleReach : 0.0f;
        centre[a] = 0.5f * (box.low[a] + box.high[a]) - shift[a];
        half[a] = 0.5f * (box.high[a] - box.low[a]) + reach;
    }
    // The box's bounds in slice space: the centre turned back, and the
    // half extents through the absolute rotation.
    SliceSpan span;
    for (int r = 0; r < 3; ++r) {
        float middle = 0.0f, extent = 0.0f;
        for (int a = 0; a < 3; ++a) {
            middle += rotation(a, r) * centre[a];
            extent += std::fabs(rotation(a, r)) * half[a];
        }
        span.low[r] = middle - extent;
        span.high[r] = middle + extent;
    }
    // Slice i lies at w = 1 - i step: the slices within [low w, high w],
    // one more each way for rounding.
    const float perUnit = 1.0f / stack.step;
    span.first = std::max(0, static_cast<int>(std::ceil((1.0f - span.high[2]) * perUnit)) - 1);
    span.last = std::min(stack.count - 1, static_cast<int>(std::floor((1.0f - span.low[2]) * perUnit)) + 1);
    return span;
}

void loadWholeSliceRects() {
    // Slices 2g and 2g + 1 of the 166 share rectangle g (low s, low t,
    // high s, high t); in a denser stack rectangle g serves the slices whose
    // w the vertex program maps to g.
    constexpr int kSlicePairs = (kSliceCount + 1) / 2;
    for (int pair = 0; pair < kSlicePairs; ++pair) {
        vgl::glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, static_cast<GLuint>(pair), 0, 0, 1, 1);
    }
}

}  // namespace app
