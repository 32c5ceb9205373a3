// viewer_bench [--edge 512|256] [--frames N] [--dir RUN_DIR] [--only COMBINATION]
// Starts the viewer as volview (or volview256) does, in RUN_DIR, and prints
// as JSON: the time from start to the first frame on screen, and frames per
// second for each combination of passes. Needs a display (Xvfb will do).
#include <GL/gl.h>
#include <unistd.h>  // dup: mingw-w64 has it too

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/viewer.h"
#include "app/viewer_state.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Combination {
    const char* name;
    bool isosurface, transparent, wobble;
};

constexpr Combination kCombinations[] = {
    {"isosurface", true, false, false}, {"transparent", false, true, false}, {"both", true, true, false},
    {"both_wobble", true, true, true},  {"none", false, false, false},
};

}  // namespace

int main(int argc, char** argv) {
    int edge = 512;
    int frames = 20;
    const char* only = nullptr;  // time one combination alone
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--only")) only = argv[i + 1];
        if (!std::strcmp(argv[i], "--edge")) edge = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--frames")) frames = std::atoi(argv[i + 1]);
        std::error_code entered;
        if (!std::strcmp(argv[i], "--dir") &&
            (std::filesystem::current_path(argv[i + 1], entered), entered)) {
            std::fprintf(stderr, "viewer_bench: cannot enter %s\n", argv[i + 1]);
            return 1;
        }
    }
    // The JSON goes to standard output; the viewer's progress lines do not.
    std::FILE* json = fdopen(dup(fileno(stdout)), "w");
    if (json == nullptr || !std::freopen(VOLVIEW_NULL_DEVICE, "w", stdout)) return 1;

    const Clock::time_point start = Clock::now();
    app::Viewer viewer;
    viewer.pbufferEdge = edge;
    const int status = app::startViewer(viewer);
    if (status != app::kStarted) return status;
    const double startupSeconds = secondsSince(start);
    app::drawFrame(viewer);
    glFinish();
    const double firstFrameSeconds = secondsSince(start);

    // Turn the head to face the viewer, as a person would look at it.
    app::viewerState.mouseX = 0;
    app::viewerState.mouseY = 90;
    std::string results;
    for (const Combination& c : kCombinations) {
        if (only != nullptr && std::strcmp(only, c.name) != 0) continue;
        app::viewerState.showIsosurface = c.isosurface;
        app::viewerState.showTransparent = c.transparent;
        app::viewerState.wobble = c.wobble;
        app::drawFrame(viewer);  // warm-up
        glFinish();
        const Clock::time_point begin = Clock::now();
        for (int i = 0; i < frames; ++i) app::drawFrame(viewer);
        glFinish();
        const double fps = frames / secondsSince(begin);
        char line[96];
        std::snprintf(line, sizeof line, "%s    \"%s\": %.2f", results.empty() ? "" : ",\n", c.name, fps);
        results += line;
    }
    std::fprintf(json,
                 "{\n  \"edge\": %d,\n  \"frames_per_combination\": %d,\n  \"startup_s\": %.3f,\n"
                 "  \"first_frame_s\": %.3f,\n  \"frames_per_second\": {\n%s\n  }\n}\n",
                 edge, frames, startupSeconds, firstFrameSeconds, results.c_str());
    std::fclose(json);
    return 0;
}
