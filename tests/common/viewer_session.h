// Runs the real viewer as a user does, on the test program's private
// display: real input events (xdotool, through XTEST), what its window shows,
// its exit, output, message boxes and the files it opens. Every wait has a
// deadline; a viewer still running when its session ends is killed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/common/png_image.h"
#include "tests/common/temp_dir.h"

namespace testing_support {

using Seconds = std::chrono::duration<double>;

// The build's run directory (executables, program texts, dataset).
std::string runDirectory();

// How a viewer is started. VOLVIEW_LAUNCHER, when set, is put in front of the
// command line (e.g. "wine" for a cross-built executable).
struct ViewerLaunch {
    ViewerLaunch(std::string executable = "volview", std::string workingDir = "",
                 std::vector<std::string> environment = {})
        : executable(std::move(executable)),
          workingDir(std::move(workingDir)),
          environment(std::move(environment)) {}
    std::string executable;                // in the run directory
    std::string workingDir;                // default: the run directory
    std::vector<std::string> environment;  // "NAME=value" sets, "NAME" alone removes a variable
    std::vector<std::string> arguments;
    bool unprivileged = false;        // run as user nobody (when the test is root)
    std::size_t addressSpaceMiB = 0;  // ulimit -v for the viewer; 0 = none
};

// The seven program files in chain order.
const std::vector<std::string>& programFiles();

// Fills `dir` with copies of the built program texts and a small dataset
// (so start-up is quick); tests then damage what they need.
void prepareRunDirectory(const std::string& dir);

// What a fault run puts in a file's place in a prepared run directory.
struct Damage {
    enum Kind { content, missing, folder, linkTo, pipe, unreadable } kind;
    std::string text;  // the new content, or the link's target
};
void damageFile(const std::string& path, const Damage& damage);

class ViewerSession {
public:
    // Starts the viewer and records the names it opens in its working folder.
    explicit ViewerSession(const ViewerLaunch& launch);
    ~ViewerSession();
    ViewerSession(const ViewerSession&) = delete;
    ViewerSession& operator=(const ViewerSession&) = delete;

    // The viewer window ("test"), once it is mapped; 0 after the deadline.
    unsigned long waitForWindow(Seconds limit = Seconds(15));
    // True once standard output holds `text`.
    bool waitForOutput(const std::string& text, Seconds limit = Seconds(30));

    // Input, all through XTEST.
    void moveMouse(int x, int y);
    void typeKeys(const std::string& keys);  // xdotool key names, space separated
    void click(int button, int repeat = 1, int delayMs = 0);
    // Presses `button` at (fromX, fromY), moves to (toX, toY) in steps and
    // releases it, with the key `held` (e.g. "shift") down throughout.
    void drag(int button, int fromX, int fromY, int toX, int toY, const std::string& held = "");
    // Sets the window's client size.
    bool resize(int width, int height);
    // The processor time the viewer has used so far, user and system.
    double processorSeconds() const;
    // Asks the viewer window to close (WM_DELETE_WINDOW); true when sent.
    bool requestClose();

    // Grabs the window (its whole client area, RGB) until `accept` likes a picture or the
    // deadline passes; returns the last picture and sets `accepted`.
    RgbImage waitForPicture(const std::function<bool(const RgbImage&)>& accept, bool& accepted,
                            Seconds limit = Seconds(25));
    // The first picture `accept` likes that two grabs 0.5 s apart agree on:
    // what was drawn after the last input, not a frame on the way.
    RgbImage waitForSettledPicture(const std::function<bool(const RgbImage&)>& accept, bool& accepted,
                                   Seconds limit = Seconds(60));
    // Waits until the window matches the committed reference picture NAME
    // (tests/app/reference/NAME.png). With VOLVIEW_UPDATE_REFERENCES set it
    // lets the picture settle and writes it as the new reference instead.
    RgbImage waitForReference(const std::string& name, bool& matched, Seconds limit = Seconds(25));

    // The exit status once the process ends; -1 after the deadline (the
    // process is then killed) or for a death by signal.
    int waitForExit(Seconds limit = Seconds(15));
    bool running();

    // Line ends as LF: under a launcher (Wine) the C runtime's text mode writes CR LF.
    std::string standardOutput() const;
    std::string standardError() const;
    // Names opened in the working folder so far, in order.
    const std::vector<std::string>& opened();
    int signal() const { return signal_; }
    long peakResidentKiB() const { return peakKiB_; }
    pid_t pid() const { return pid_; }

private:
    TempDir logs_;
    pid_t pid_ = -1;
    int status_ = -1, signal_ = 0, watch_ = -1;
    long peakKiB_ = 0;
    unsigned long window_ = 0;
    std::vector<std::string> opened_;
};

// A whole run, watched from outside.
struct ViewerRun {
    bool exited = false;  // false: killed by a signal (or at the deadline)
    int status = -1;      // exit status when exited
    bool timedOut = false;
    double seconds = 0;
    long peakResidentKiB = 0;
    std::string out, err;
    std::vector<std::string> boxes;   // captions of the message boxes seen, in order
    std::vector<std::string> opened;  // names opened in the working folder, in order

    bool openedFile(const std::string& name) const;
    // A sanitizer's report or a runtime error in the viewer's output.
    bool sanitizerReport() const;
    std::string describe() const;  // for failure messages
};

// Runs the viewer until it ends, pressing Return on every message box; with
// `closeWhenStarted` the window is closed once start-up has finished.
ViewerRun runViewer(const ViewerLaunch& launch, bool closeWhenStarted = false,
                    Seconds deadline = Seconds(120));

// volview256 in a prepared run directory whose `file` is damaged; an
// unreadable file is read as user nobody, since root reads anything.
ViewerRun runWithDamage(const std::string& file, const Damage& damage);

// Pictures. The frame-rate text at the top left changes from run to run, so
// comparisons leave that corner out: at most kAllowedPixels (half a percent
// of the window) may differ by more than kChannelTolerance.
constexpr int kOverlayWidth = 170, kOverlayHeight = 42;
constexpr int kChannelTolerance = 24, kAllowedPixels = 800;

// Pixels outside the overlay corner whose channels differ by more than
// `channelTolerance`; -1 when the sizes differ.
int differentPixels(const RgbImage& a, const RgbImage& b, int channelTolerance);
// Pixels outside the overlay corner that are not the clear grey.
int nonBackgroundPixels(const RgbImage& image);
std::string referencePath(const std::string& name);
bool matchesReference(const RgbImage& picture, const RgbImage& reference);
// Keeps a picture for a person to look at after a failure; returns the path.
std::string keepForInspection(const RgbImage& picture, const std::string& name);

}  // namespace testing_support
