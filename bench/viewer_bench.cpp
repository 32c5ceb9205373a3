// viewer_bench [--edge 512|256] [--grid N] [--dataset PATH | --scan PATH]
//              [--frames N] [--dir RUN_DIR] [--only COMBINATION]
// Starts the viewer as volview (or volview256) does, in RUN_DIR, and prints
// as JSON: when each start-up stage began (from the progress lines), the
// time from start to the first frame on screen, the resident memory then
// and at its peak, and frames per second for each combination of passes.
// Needs a display (Xvfb will do).
#include <GL/gl.h>
#include <fcntl.h>
#include <unistd.h>  // dup: mingw-w64 has it too
#ifdef _WIN32
#include <io.h>
#define pipe(ends) _pipe(ends, 4096, O_BINARY)
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "app/looks.h"
#include "app/view_controls.h"
#include "app/viewer.h"
#include "app/viewer_main.h"
#include "app/viewer_state.h"
#include "platform/runtime.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Combination {
    const char* name;
    bool isosurface, transparent, wobble;
    const char* look;  // a projection look, taken with its own table; null: the start look
};

// The projection looks come last: they leave their table behind.
constexpr Combination kCombinations[] = {
    {"isosurface", true, false, false, nullptr}, {"transparent", false, true, false, nullptr},
    {"both", true, true, false, nullptr},        {"both_wobble", true, true, true, nullptr},
    {"none", false, false, false, nullptr},      {"mip", false, false, false, "CT MIP"},
    {"minip", false, false, false, "CT MinIP"},
};

// Seconds since the launch time the caller put in BENCH_LAUNCHED_AT (seconds
// since the epoch), which counts the process's own start; below 0 without it.
double secondsSinceLaunch() {
    const char* launched = std::getenv("BENCH_LAUNCHED_AT");
    if (launched == nullptr) return -1.0;
    const std::chrono::duration<double> now = std::chrono::system_clock::now().time_since_epoch();
    return now.count() - std::atof(launched);
}

double megabytes(std::size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// Reads the viewer's progress lines from a pipe and notes when each began,
// as JSON members ("loading data": 0.012, ...).
class StageClock {
public:
    StageClock(int readEnd, Clock::time_point start)
        : thread_([this, readEnd, start] {
              // A stage begins with the first character of its line (the
              // gradients' line grows a dot at a time). NOTE: read() and not
              // a FILE: a FILE blocked in reading holds its lock, and the
              // fflush(NULL) before the scan reader's fork would wait on it.
              std::string stage;
              double began = 0.0;
              char c = 0;
              while (read(readEnd, &c, 1) == 1) {
                  if (stage.empty()) began = secondsSince(start);
                  if (c != '\n') {
                      stage += static_cast<char>(c);
                      continue;
                  }
                  // The start of a line names its stage (the scan's report has long ones).
                  stage = stage.substr(0, std::min(stage.find_last_not_of(". ") + 1, std::size_t{48}));
                  char member[160];
                  std::snprintf(member, sizeof member, "    \"%s\": %.3f", stage.c_str(), began);
                  json_ += (json_.empty() ? "" : ",\n") + std::string(member);
                  stage.clear();
              }
          }) {}
    // Waits for the writer to close the pipe.
    std::string finish() {
        thread_.join();
        return json_;
    }

private:
    std::string json_;
    std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
    int edge = 512;
    int frames = 20;
    const char* only = nullptr;  // time one combination alone
    // As the viewer does, before --dir moves into another folder.
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--grid")) app::restartForLargeGrid(std::atoi(argv[i + 1]), argv);
    }
    app::Viewer viewer;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--only")) only = argv[i + 1];
        if (!std::strcmp(argv[i], "--grid")) viewer.options.gridEdge = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--dataset")) viewer.datasetPath = argv[i + 1];
        // A DICOM folder or NIfTI file, opened directly.
        if (!std::strcmp(argv[i], "--scan")) viewer.datasetPath = viewer.options.path = argv[i + 1];
        if (!std::strcmp(argv[i], "--edge")) edge = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--frames")) frames = std::atoi(argv[i + 1]);
        std::error_code entered;
        if (!std::strcmp(argv[i], "--dir") &&
            (std::filesystem::current_path(argv[i + 1], entered), entered)) {
            std::fprintf(stderr, "viewer_bench: cannot enter %s\n", argv[i + 1]);
            return 1;
        }
    }
    // The JSON goes to standard output; the viewer's progress lines go to
    // the stage clock.
    std::FILE* json = fdopen(dup(fileno(stdout)), "w");
    int ends[2] = {-1, -1};
    if (json == nullptr || pipe(ends) != 0 || dup2(ends[1], fileno(stdout)) < 0) return 1;
    close(ends[1]);

    const Clock::time_point start = Clock::now();
    StageClock stages(ends[0], start);
    viewer.pbufferEdge = edge;
    viewer.grid = app::planGrid(viewer.options);
    const int status = app::startViewer(viewer);
    if (status != app::kStarted) {
        // Closing the pipe ends the stage clock's thread before it goes.
        std::fflush(stdout);
        close(fileno(stdout));
        stages.finish();
        return status;
    }
    const double startupSeconds = secondsSince(start);
    app::drawFrame(viewer);
    glFinish();
    const double firstFrameSeconds = secondsSince(start);
    const double fromLaunchSeconds = secondsSinceLaunch();
    char fromLaunch[32] = "null";
    if (fromLaunchSeconds >= 0.0) std::snprintf(fromLaunch, sizeof fromLaunch, "%.3f", fromLaunchSeconds);
    const double residentMb = megabytes(platform::residentBytes());
    std::fflush(stdout);
    if (!std::freopen(VOLVIEW_NULL_DEVICE, "w", stdout)) return 1;
    const std::string stageJson = stages.finish();

    // Turn the head to face the viewer, as a person would look at it.
    app::viewerState.mouseX = 0;
    app::viewerState.mouseY = 90;
    std::string results;
    for (const Combination& c : kCombinations) {
        if (only != nullptr && std::strcmp(only, c.name) != 0) continue;
        if (c.look != nullptr) app::startInLook(app::findLook(c.look));
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
                 "{\n  \"edge\": %d,\n  \"grid\": %d,\n  \"slices\": %d,\n  \"frames_per_combination\": %d,\n"
                 "  \"stages_s\": {\n%s\n  },\n  \"startup_s\": %.3f,\n  \"first_frame_s\": %.3f,\n"
                 "  \"first_frame_from_launch_s\": %s,\n"
                 "  \"resident_at_first_frame_mb\": %.1f,\n  \"peak_resident_mb\": %.1f,\n"
                 "  \"frames_per_second\": {\n%s\n  }\n}\n",
                 edge, viewer.grid.edge, viewer.grid.slices.count, frames, stageJson.c_str(), startupSeconds,
                 firstFrameSeconds, fromLaunch, residentMb, megabytes(platform::peakResidentBytes()),
                 results.c_str());
    std::fclose(json);
    return 0;
}
