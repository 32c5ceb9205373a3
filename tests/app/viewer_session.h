// End-to-end support: runs the real viewer executable under the test's
// display, drives it with real input events (xdotool, through XTEST), reads
// what its window shows and ends it as a person would. Every wait has a
// deadline and a viewer still running when the session ends is killed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "tests/common/png_image.h"
#include "tests/common/temp_dir.h"

namespace viewer_test {

using Seconds = std::chrono::duration<double>;

// The build's run directory (executables, program texts, dataset).
std::string runDirectory();

// Waits grow by this factor in sanitizer builds, where the viewer is slower.
double slowdown();

// A working directory for one viewer run: every entry of the run directory
// linked in, so single files can be replaced or removed without touching the
// real ones.
class RunDirectoryCopy {
public:
    RunDirectoryCopy();
    const std::string& path() const { return dir_.path(); }
    void replace(const std::string& name, const std::string& bytes);
    void remove(const std::string& name);

private:
    testing_support::TempDir dir_;
};

// A top-level window of the display with its title.
struct TopWindow {
    unsigned long id = 0;
    std::string title;
};

// Mapped top-level windows with a title, in stacking order.
std::vector<TopWindow> topWindows();

// Runs `xdotool ARGUMENTS` with a time limit; true when it succeeded.
bool xdotool(const std::string& arguments);

// What the window shows now, as 400 x 400 RGB; empty image on failure.
RgbImage grabWindow(unsigned long window);

class ViewerSession {
public:
    // Starts RUN_DIR/EXECUTABLE with the working directory `workingDir`
    // (default: the run directory itself) and its output captured. A
    // non-empty `display` replaces DISPLAY for the viewer only.
    explicit ViewerSession(const std::string& executable, const std::string& workingDir = "",
                           const std::string& display = "");
    ~ViewerSession();
    ViewerSession(const ViewerSession&) = delete;
    ViewerSession& operator=(const ViewerSession&) = delete;

    // The viewer window ("test"), once it is mapped; 0 after the deadline.
    unsigned long waitForWindow(Seconds limit = Seconds(15));
    unsigned long window() const { return window_; }

    // Input, all through XTEST.
    void moveMouse(int x, int y);
    void typeKeys(const std::string& keys);  // xdotool key names, space separated
    void click(int button, int repeat = 1, int delayMs = 0);

    // Asks the viewer window to close (WM_DELETE_WINDOW); true when sent.
    bool requestClose();

    // Grabs the window until `accept` likes a picture or the deadline
    // passes; returns the last picture and sets `accepted`.
    RgbImage waitForPicture(const std::function<bool(const RgbImage&)>& accept, bool& accepted,
                            Seconds limit = Seconds(25));

    // Waits until the window matches the committed reference picture NAME
    // (tests/app/reference/NAME.png). With VOLVIEW_UPDATE_REFERENCES set it
    // instead lets the picture settle for a while and writes it as the new
    // reference.
    RgbImage waitForReference(const std::string& name, bool& matched, Seconds limit = Seconds(25));

    // The message box (a top-level window other than the viewer's), once
    // one is shown; its title is the box caption. Empty id after the deadline.
    TopWindow waitForMessageBox(Seconds limit = Seconds(20));
    // Presses Enter on the box, as a person would.
    bool dismiss(const TopWindow& box);

    // Waits for the process to end; its exit status, or -1 after the
    // deadline (the process is then killed unless told otherwise) or for a
    // death by signal.
    int waitForExit(Seconds limit = Seconds(15), bool killAfter = true);
    bool running();

    std::string standardOutput() const;
    std::string standardError() const;

private:
    testing_support::TempDir logs_;
    pid_t pid_ = -1;
    int status_ = -1;
    unsigned long window_ = 0;
};

// ---- Pictures ------------------------------------------------------------

// The frame-rate text at the top left: its value changes from run to run,
// so comparisons leave this corner out.
constexpr int kOverlayWidth = 170;
constexpr int kOverlayHeight = 42;

// Pixels outside the overlay corner whose channels differ by more than
// `channelTolerance`; -1 when the sizes differ.
int differentPixels(const RgbImage& a, const RgbImage& b, int channelTolerance);

// Pixels outside the overlay corner that are not the clear grey.
int nonBackgroundPixels(const RgbImage& image);

// Picture comparison against a committed reference: at most `kAllowedPixels`
// pixels may differ by more than `kChannelTolerance` in some channel.
constexpr int kChannelTolerance = 24;
constexpr int kAllowedPixels = 800;  // half a percent of the window

std::string referencePath(const std::string& name);
bool matchesReference(const RgbImage& picture, const RgbImage& reference);
// Keeps a picture for a person to look at after a failure; returns the path.
std::string keepForInspection(const RgbImage& picture, const std::string& name);

}  // namespace viewer_test
