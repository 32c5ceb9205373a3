// Runs the viewer as a user does, under the test's display, and watches it
// from outside: its exit, its time and peak memory, its output, the message
// boxes it raises (dismissed with a real Return key press) and the files it
// opens in its directory.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

struct ViewerRunOptions {
    std::string executable = "volview256";  // in VOLVIEW_RUN_DIR
    // "NAME=value" sets, "NAME" alone removes a variable of the viewer.
    std::vector<std::string> environment;
    bool unprivileged = false;     // run as user nobody (when the test is root)
    std::size_t addressSpaceMiB = 0;  // ulimit -v for the viewer; 0 = none
    // Close the window through its close box once start-up has finished.
    bool closeWhenStarted = false;
    // Called once when start-up has finished and the window is up.
    std::function<void(pid_t viewer)> whenStarted;
    double deadlineSeconds = 120;  // then the viewer is killed
};

struct ViewerRun {
    bool exited = false;  // false: killed by a signal (or at the deadline)
    int status = -1;      // exit status when exited
    int signal = 0;
    bool timedOut = false;
    double seconds = 0;
    long peakResidentKiB = 0;
    std::string out, err;
    std::vector<std::string> boxes;   // captions of the message boxes seen, in order
    std::vector<std::string> opened;  // names opened in the run directory, in order

    bool openedFile(const std::string& name) const;
    // A sanitizer's report or a runtime error in the viewer's output.
    bool sanitizerReport() const;
    std::string describe() const;  // for failure messages
};

// The directory the build made: executables, program texts, dataset.
std::string builtRunDirectory();

// The seven program files in chain order.
const std::vector<std::string>& programFiles();

// Fills `dir` with copies of the built program texts and a small dataset
// (so start-up is quick); tests then damage what they need.
void prepareRunDirectory(const std::string& dir);

// Starts `options.executable` in `dir` and watches it until it ends.
ViewerRun runViewer(const std::string& dir, const ViewerRunOptions& options);

// A private X server of its own, for tests that take the display away.
class PrivateXServer {
public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    const std::string& display() const { return display_; }  // ":N", "" when it failed
    void kill();

private:
    pid_t pid_ = 0;
    std::string display_;
};

}  // namespace testing_support
