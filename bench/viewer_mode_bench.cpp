// viewer_mode_bench [--dir RUN_DIR] [--frames N] [--grid N]
// Viewer mode's figures, as JSON: frames per second of the full picture and
// of a drag's cheap frames (the volume turning a little each frame) in
// windows of 400 x 400 and 1000 x 1000; the four panes' layout (the 3D view
// in the bottom right quarter) with and without the slice panes drawn, and
// the frames of a crosshair drag (the slices alone drawn again); the memory the kept slice samples take and
// the peak resident size at the grid edge; and the processor share of a volview
// --viewer left at rest for 10 s. Needs a display of at least 1000 x 1000.
#include <GL/gl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "app/buffer_size.h"
#include "app/slice_view.h"
#include "app/view_controls.h"
#include "app/viewer.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace {

using Clock = std::chrono::steady_clock;

// Frames per second while the volume turns; with `slicesOnly`, while the
// crosshair steps through the slices and only they are drawn again.
double framesPerSecond(app::Viewer& viewer, int drawEdge, int frames, bool slicesOnly = false) {
    viewer.drawEdge = drawEdge;
    app::drawFrame(viewer);  // warm-up
    glFinish();
    const Clock::time_point begin = Clock::now();
    for (int i = 0; i < frames; ++i) {
        if (slicesOnly) {
            app::stepSlice(viewer.sliceSamples, static_cast<app::SlicePlane>(i % 3), i % 6 < 3 ? 1 : -1);
        } else {
            app::turnPose(app::viewControls.pose, 0.02f, 0.0f);
        }
        app::drawFrame(viewer, !slicesOnly);
    }
    glFinish();
    return frames / std::chrono::duration<double>(Clock::now() - begin).count();
}

// The 3D view alone or the four panes in a window of side x side.
void layOut(app::Viewer& viewer, int side, bool fourPanes) {
    app::sliceView.fourPanes = fourPanes;
    app::layOutWindow(viewer, side, side);
}

// The share of one core a volview --viewer in the current folder uses over
// 10 s at rest, once it has started and drawn; -1 when it could not run.
double restingShare() {
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stderr);
        execl("./volview", "volview", "--viewer", static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) return -1;
    std::this_thread::sleep_for(std::chrono::seconds(6));
    const double before = platform::processorSeconds(pid);
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double share = (platform::processorSeconds(pid) - before) / 10.0;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return share;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 10, grid = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--frames")) frames = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--grid")) grid = std::atoi(argv[i + 1]);
        std::error_code entered;
        if (!std::strcmp(argv[i], "--dir") &&
            (std::filesystem::current_path(argv[i + 1], entered), entered)) {
            std::fprintf(stderr, "viewer_mode_bench: cannot enter %s\n", argv[i + 1]);
            return 1;
        }
    }
    // The JSON goes to standard output; the viewer's progress lines do not.
    std::FILE* json = fdopen(dup(fileno(stdout)), "w");
    if (json == nullptr || !std::freopen("/dev/null", "w", stdout)) return 1;

    app::Viewer viewer;
    viewer.pbufferEdge = 512;
    viewer.options.viewer = true;
    viewer.options.width = viewer.options.height = 1000;
    viewer.options.gridEdge = grid;
    viewer.grid = app::planGrid(viewer.options);
    const int status = app::startViewer(viewer);
    if (status != app::kStarted) return status;
    std::string results;
    for (const int side : {400, 1000}) {
        layOut(viewer, side, false);
        const double full = framesPerSecond(viewer, 0, frames);
        const int dragEdge = app::dragBufferEdge(viewer.pbufferEdge);
        const double drag = framesPerSecond(viewer, dragEdge, frames);
        const int bufferEdge = viewer.pbufferEdge;
        // The four panes' layout with its 3D view alone (the slice panes left
        // out) against the four panes: what drawing the slices costs a frame.
        layOut(viewer, side, true);
        viewer.panes.fourPanes = false;
        const double withoutSlices = framesPerSecond(viewer, 0, frames);
        // The window's part of a frame alone (the volume's picture shown
        // again), without and with the slices made and drawn: their cost.
        const double compositeAlone = framesPerSecond(viewer, 0, frames * 5, true);
        viewer.panes.fourPanes = true;
        const double compositeWithSlices = framesPerSecond(viewer, 0, frames * 5, true);
        const double fourPanes = framesPerSecond(viewer, 0, frames);
        char line[512];
        std::snprintf(
            line, sizeof line,
            "%s    \"%d\": {\"buffer_edge\": %d, \"full_picture_fps\": %.2f, \"drag_edge\": %d, "
            "\"drag_fps\": %.2f, \"four_panes_without_slices_fps\": %.2f, \"four_panes_fps\": %.2f, "
            "\"crosshair_drag_fps\": %.2f, \"slice_panes_ms\": %.2f}",
            results.empty() ? "" : ",\n", side, bufferEdge, full, dragEdge, drag, withoutSlices, fourPanes,
            compositeWithSlices, 1000.0 / compositeWithSlices - 1000.0 / compositeAlone);
        results += line;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    char memory[256];
    std::snprintf(memory, sizeof memory,
                  "  \"grid_edge\": %d,\n  \"slice_samples_bytes\": %zu,\n  \"peak_resident_kib\": %ld,\n",
                  viewer.grid.edge, viewer.sliceSamples.bytes(), usage.ru_maxrss);
    platform::terminate();
    std::fprintf(json,
                 "{\n  \"frames\": %d,\n%s  \"windows\": {\n%s\n  },\n  \"resting_core_share\": %.4f\n}\n",
                 frames, memory, results.c_str(), restingShare());
    std::fclose(json);
    return 0;
}
