#include "app/grid_plan.h"

#include <cmath>

namespace app {

namespace {

constexpr int kPlainEdge = 128;

// Per voxel at the peak of a start: the driver's copies of the density and
// gradient textures (1 + 4) and the scan's own samples, at most 2 per voxel
// of a cube the scan fits, held while the slabs are made (the slabs on their
// way cost a few of them); the importer's passes over a scan, 4 bytes a
// sample twice and the result, come before the textures and need no more.
constexpr std::size_t kBytesPerVoxel = 1 + 4 + 2 + 1;

}  // namespace

GridPlan planGrid(const ViewerOptions& options) {
    GridPlan plan;
    if (options.gridEdge == 0) return plan;
    plan.edge = options.gridEdge;
    plan.addedRendering = true;
    if (plan.edge == kPlainEdge) return plan;
    const long slices = (static_cast<long>(kSliceCount) * plan.edge + kPlainEdge - 1) / kPlainEdge;
    plan.slices.count = static_cast<int>(slices);
    plan.slices.step = static_cast<float>(kPlainEdge / (150.0 * plan.edge));
    return plan;
}

void correctTableOpacity(uint8_t* table, int entries, float spacingRatio) {
    for (int k = 0; k < entries; ++k) {
        uint8_t& alpha = table[4 * k + 3];
        if (alpha == 0) continue;
        const double kept = std::pow(1.0 - alpha / 255.0, static_cast<double>(spacingRatio));
        const long corrected = std::lround(255.0 * (1.0 - kept));
        alpha = static_cast<uint8_t>(corrected < 1 ? 1 : corrected > 255 ? 255 : corrected);
    }
}

void fitTableToSlices(const GridPlan& plan, uint8_t* table) {
    // Thinner slices each let less through, so that all of them together
    // look as the 166 of the 128 cube do.
    if (plan.addedRendering) correctTableOpacity(table, 256, plan.slices.step / kSliceStep);
}

std::size_t bytesForEdge(int edge) {
    const std::size_t side = static_cast<std::size_t>(edge);
    return side * side * side * kBytesPerVoxel;
}

int largestFittingEdge(int maxTextureEdge, std::size_t availableBytes) {
    int edge = maxTextureEdge;
    while (edge > 0 && availableBytes != 0 && bytesForEdge(edge) > availableBytes) --edge;
    return edge;
}

std::string refuseGridEdge(int edge, int maxTextureEdge, std::size_t availableBytes) {
    std::string reason;
    if (edge > maxTextureEdge) {
        reason = "the driver's 3D textures reach only " + std::to_string(maxTextureEdge) + " texels";
    } else if (availableBytes != 0 && bytesForEdge(edge) > availableBytes) {
        reason = "it needs about " + std::to_string(bytesForEdge(edge) >> 20) + " MB and " +
                 std::to_string(availableBytes >> 20) + " MB are free";
    } else {
        return "";
    }
    const int largest = largestFittingEdge(maxTextureEdge, availableBytes);
    return "--grid " + std::to_string(edge) + " does not fit: " + reason +
           "; the largest edge that fits is " + std::to_string(largest);
}

}  // namespace app
