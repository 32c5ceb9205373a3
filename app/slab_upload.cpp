// Viewer mode's load: slabs made on every core go up as they come, while
// the window shows a bar of how far the load has got.
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/dataset_fit.h"
#include "app/grid_plan.h"
#include "app/slab_loader.h"
#include "app/viewer.h"
#include "platform/gl_context.h"
#include "volume/color_table.h"

namespace app {
namespace {

using Clock = std::chrono::steady_clock;

// How often the bar is drawn again while slabs come.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

void say(const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

// Under the added rendering, whose programs read textures that hold a box
// of the cube, the textures hold the box around the samples;
// VOLVIEW_WHOLE_CUBE_TEXTURES (any value) has them hold the whole cube, to
// compare the pictures of both.
SlabLoader::Extent textureExtent(const GridPlan& grid) {
    const bool whole = !grid.addedRendering || std::getenv("VOLVIEW_WHOLE_CUBE_TEXTURES") != nullptr;
    return whole ? SlabLoader::Extent::wholeCube : SlabLoader::Extent::samplesBox;
}

// While the samples are still being read, the loop looks for them this often.
constexpr auto kSourceInterval = std::chrono::milliseconds(10);

}  // namespace

std::string loadVolumeInSlabs(Viewer& viewer, bool& datasetProblem) {
    datasetProblem = false;
    const int edge = viewer.grid.edge;
    OpenedScan& scan = viewer.scan;
    say("loading data\n");
    // A dataset file that does not fill the grid is fitted to it and then
    // placed like a scan.
    std::string fitProblem;
    const bool placed =
        scan.direct || fitDatasetFile(viewer.datasetPath, edge, scan.samples, scan.placement, fitProblem);
    if (!fitProblem.empty()) {
        datasetProblem = true;
        return fitProblem;
    }
    const SlabLoader::Extent extent = textureExtent(viewer.grid);
    SlabLoader loader =
        placed ? SlabLoader(std::move(scan.samples), scan.placement, viewer.datasetPath, edge, 0, extent)
               : SlabLoader(viewer.datasetPath, edge, 0, extent);
    const auto onWindow = [&viewer] {
        return platform::wglMakeCurrent(viewer.windowDC, viewer.windowContext);
    };
    const auto offscreen = [&viewer] {
        return platform::wglMakeCurrent(viewer.pbufferDC, viewer.pbufferContext);
    };
    const char* const kSwitchProblem = "cannot switch between the GL contexts";

    // The bar comes first; the driver builds its shaders while the first
    // slabs are made.
    if (!onWindow()) return kSwitchProblem;
    showLoadProgress(viewer, 0.0);
    if (!offscreen()) return kSwitchProblem;
    prepareOffscreenShaders(viewer.grid.addedRendering);
    if (!onWindow()) return kSwitchProblem;
    viewer.compositeTexture = createCompositeTexture();
    prepareWindowShaders(viewer);
    if (!offscreen()) return kSwitchProblem;

    // The textures are defined once the samples are read and their box is
    // known; the driver clears them while the first slabs are made.
    bool defined = false;
    const auto defineOnceReady = [&] {
        if (defined || !loader.sourceReady()) return;
        defineSlabbedTextures(viewer, loader.box());
        defined = true;
    };
    bool gradientsSaid = false;
    int slicesSaid = 0;
    Clock::time_point shown = Clock::now();
    for (;;) {
        defineOnceReady();
        ImageSlab slab;
        const SlabLoader::Next next = loader.next(slab, defined ? kProgressInterval : kSourceInterval);
        if (next == SlabLoader::Next::Failed) {
            datasetProblem = true;
            return loader.error();
        }
        if (next == SlabLoader::Next::Done) break;
        if (next == SlabLoader::Next::Slab) {
            if (!gradientsSaid) say("calculating gradients ");
            gradientsSaid = true;
            defineOnceReady();
            uploadSlab(viewer, slab);
            loader.giveBack(std::move(slab));
            // One dot per slice, as the exact load prints them.
            for (; slicesSaid < loader.slicesDone(); ++slicesSaid) std::fputc('.', stdout);
            std::fflush(stdout);
        }
        if (Clock::now() - shown >= kProgressInterval) {
            if (!onWindow()) return kSwitchProblem;
            showLoadProgress(viewer, static_cast<double>(loader.slicesDone()) / edge);
            if (!offscreen()) return kSwitchProblem;
            shown = Clock::now();
        }
    }
    say("\nloading density texture\nloading gradient texture\n");

    uint32_t colors[volume::Volume::kColorTableSize];
    volume::fillDefaultColorTable(colors);
    const std::unique_ptr<uint8_t[]> table = volume::transferTableOf(colors);
    if (!table) {
        datasetProblem = true;
        return viewer.datasetPath + ": not enough memory for the transfer-function table";
    }
    fitTableToSlices(viewer.grid, table.get());
    finishVolumeTextures(viewer, table.get());
    return "";
}

}  // namespace app
