// view_controls_bench [--edge 512|256] [--frames N] [--dir RUN_DIR]
// Starts the viewer as volview (or volview256) does, in RUN_DIR, turns the
// head face on with both passes, and prints as JSON the frames per second
// in the start state, at 4 x zoom, with the cut through the centre, and both
// together, with each one's ratio to the start state's rate. Needs a display.
#include <GL/gl.h>
#include <unistd.h>  // dup: mingw-w64 has it too

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/view_controls.h"
#include "app/viewer.h"
#include "app/viewer_state.h"

namespace {

using Clock = std::chrono::steady_clock;

struct State {
    const char* name;
    int zoomStep;  // 4: 4 x
    bool cut;
};

constexpr State kStates[] = {
    {"start", 0, false}, {"zoom_4x", 4, false}, {"cut", 0, true}, {"zoom_4x_cut", 4, true}};

double framesPerSecond(app::Viewer& viewer, int frames) {
    app::drawFrame(viewer);  // warm-up, and the first frame of the new state
    glFinish();
    const Clock::time_point begin = Clock::now();
    for (int i = 0; i < frames; ++i) app::drawFrame(viewer);
    glFinish();
    return frames / std::chrono::duration<double>(Clock::now() - begin).count();
}

}  // namespace

int main(int argc, char** argv) {
    int edge = 512;
    int frames = 20;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--edge")) edge = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--frames")) frames = std::atoi(argv[i + 1]);
        std::error_code entered;
        if (!std::strcmp(argv[i], "--dir") &&
            (std::filesystem::current_path(argv[i + 1], entered), entered)) {
            std::fprintf(stderr, "view_controls_bench: cannot enter %s\n", argv[i + 1]);
            return 1;
        }
    }
    // The JSON goes to standard output; the viewer's progress lines do not.
    std::FILE* json = fdopen(dup(fileno(stdout)), "w");
    if (json == nullptr || !std::freopen(VOLVIEW_NULL_DEVICE, "w", stdout)) return 1;

    app::Viewer viewer;
    viewer.pbufferEdge = edge;
    const int status = app::startViewer(viewer);
    if (status != app::kStarted) return status;
    app::viewerState.mouseX = 0;
    app::viewerState.mouseY = 90;
    std::string results;
    double startRate = 0;
    for (const State& state : kStates) {
        app::viewControls.zoomStep = state.zoomStep;
        app::viewControls.cut = state.cut;
        const double fps = framesPerSecond(viewer, frames);
        if (startRate == 0) startRate = fps;
        char line[160];
        std::snprintf(line, sizeof line, "%s    \"%s\": {\"frames_per_second\": %.2f, \"of_start\": %.3f}",
                      results.empty() ? "" : ",\n", state.name, fps, fps / startRate);
        results += line;
    }
    std::fprintf(json, "{\n  \"edge\": %d,\n  \"frames\": %d,\n  \"states\": {\n%s\n  }\n}\n", edge, frames,
                 results.c_str());
    std::fclose(json);
    return 0;
}
