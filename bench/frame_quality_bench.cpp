// frame_quality_bench [--grid N] [--dataset PATH] [--edge E] [--dir RUN_DIR]
// How far the viewer's picture is from the same picture drawn with four
// times the slices, per combination of passes, face-on: the mean absolute
// difference of the buffer's channels (0 to 255) over every pixel and over
// the pixels either picture draws (not the clear grey), as JSON. A frame
// made cheaper must keep these at or below what they were. Needs a display
// (Xvfb will do).
#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/looks.h"
#include "app/view_controls.h"
#include "app/viewer.h"
#include "app/viewer_state.h"

namespace {

struct Combination {
    const char* name;
    const char* look;
    bool isosurface, transparent;
};

constexpr Combination kCombinations[] = {
    {"both", "CT", true, true},
    {"transparent", "CT", false, true},
    {"isosurface", "CT", true, false},
    {"mip", "CT MIP", false, false},
};

// Draws one full frame and reads the off-screen buffer back (RGB).
std::vector<unsigned char> drawnPicture(app::Viewer& viewer) {
    app::viewControls.tableStale = true;
    app::drawFrame(viewer);
    platform::wglMakeCurrent(viewer.pbufferDC, viewer.pbufferContext);
    glFinish();
    const int edge = viewer.pbufferEdge;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(edge) * static_cast<std::size_t>(edge) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, edge, edge, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    platform::wglMakeCurrent(viewer.windowDC, viewer.windowContext);
    return pixels;
}

bool isClearGrey(const unsigned char* p) { return std::abs(p[0] - 128) <= 1 && p[1] == p[0] && p[2] == p[0]; }

}  // namespace

int main(int argc, char** argv) {
    app::Viewer viewer;
    viewer.pbufferEdge = 512;
    viewer.options.gridEdge = 256;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--grid")) viewer.options.gridEdge = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--dataset")) viewer.datasetPath = argv[i + 1];
        if (!std::strcmp(argv[i], "--edge")) viewer.pbufferEdge = std::atoi(argv[i + 1]);
        std::error_code entered;
        if (!std::strcmp(argv[i], "--dir") &&
            (std::filesystem::current_path(argv[i + 1], entered), entered)) {
            std::fprintf(stderr, "frame_quality_bench: cannot enter %s\n", argv[i + 1]);
            return 1;
        }
    }
    // The JSON goes to standard output; the viewer's progress lines do not.
    std::FILE* json = fdopen(dup(fileno(stdout)), "w");
    if (json == nullptr || !std::freopen(VOLVIEW_NULL_DEVICE, "w", stdout)) return 1;
    viewer.grid = app::planGrid(viewer.options);
    const int status = app::startViewer(viewer);
    if (status != app::kStarted) return status;

    const app::SliceStack own = viewer.grid.slices;
    app::SliceStack fine = own;
    fine.count = own.count * 4;
    fine.step = own.step / 4.0f;
    std::string results;
    for (const Combination& c : kCombinations) {
        app::startInLook(app::findLook(c.look));
        app::viewerState.showIsosurface = c.isosurface;
        app::viewerState.showTransparent = c.transparent;
        viewer.grid.slices = fine;
        const std::vector<unsigned char> reference = drawnPicture(viewer);
        viewer.grid.slices = own;
        const std::vector<unsigned char> shown = drawnPicture(viewer);
        double all = 0.0, drawn = 0.0;
        std::size_t drawnPixels = 0;
        for (std::size_t p = 0; p < shown.size(); p += 3) {
            double difference = 0.0;
            for (std::size_t k = 0; k < 3; ++k) difference += std::abs(shown[p + k] - reference[p + k]);
            all += difference;
            if (isClearGrey(&shown[p]) && isClearGrey(&reference[p])) continue;
            drawn += difference;
            ++drawnPixels;
        }
        const double channels = static_cast<double>(shown.size());
        char line[200];
        std::snprintf(line, sizeof line,
                      "%s    \"%s\": {\"mean_difference\": %.3f, \"mean_difference_drawn\": %.3f, "
                      "\"drawn_pixels\": %zu}",
                      results.empty() ? "" : ",\n", c.name, all / channels,
                      drawnPixels ? drawn / (3.0 * static_cast<double>(drawnPixels)) : 0.0, drawnPixels);
        results += line;
    }
    std::fprintf(json,
                 "{\n  \"edge\": %d,\n  \"grid\": %d,\n  \"slices\": %d,\n  \"reference_slices\": %d,\n"
                 "  \"against_four_times_the_slices\": {\n%s\n  }\n}\n",
                 viewer.pbufferEdge, viewer.grid.edge, own.count, fine.count, results.c_str());
    std::fclose(json);
    return 0;
}
