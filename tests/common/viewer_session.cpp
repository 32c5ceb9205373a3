#include "tests/common/viewer_session.h"

#include "tests/volume/dataset_builder.h"
// Xlib after the test framework (through the line above): its macros clash with it.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "platform/process.h"
#include "tests/common/run_command.h"

namespace testing_support {

std::string runDirectory() {
    const char* dir = std::getenv("VOLVIEW_RUN_DIR");
    return dir != nullptr ? dir : "";
}

namespace {

using Clock = std::chrono::steady_clock;

// Waits grow fourfold in sanitizer builds, where the viewer is slower.
Clock::time_point deadlineAfter(Seconds limit) {
#if defined(__SANITIZE_ADDRESS__)
    limit *= 4;
#endif
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(limit);
}

void pause(double seconds) { std::this_thread::sleep_for(Seconds(seconds)); }

// One connection of the test process to its display, for looking only; a
// window that vanishes between two calls must not end the test.
Display* display() {
    static Display* connection = nullptr;
    if (connection == nullptr) {
        connection = XOpenDisplay(nullptr);
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    return connection;
}

// Mapped top-level windows with a title: id and title.
std::map<unsigned long, std::string> topWindows() {
    std::map<unsigned long, std::string> found;
    Display* connection = display();
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (connection == nullptr ||
        XQueryTree(connection, DefaultRootWindow(connection), &root, &parent, &children, &count) == 0) {
        return found;
    }
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        char* name = nullptr;
        if (XGetWindowAttributes(connection, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable && XFetchName(connection, children[i], &name) != 0 &&
            name != nullptr) {
            if (*name != '\0') found[children[i]] = name;
            XFree(name);
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

bool xdotool(const std::string& arguments) {
    return runCommand("timeout 10 xdotool " + arguments).status == 0;
}

// The whole client area, whatever its size.
RgbImage grab(unsigned long window) {
    RgbImage picture;
    XWindowAttributes attributes;
    XImage* image =
        window != 0 && display() != nullptr && XGetWindowAttributes(display(), window, &attributes) != 0
            ? XGetImage(display(), window, 0, 0, static_cast<unsigned>(attributes.width),
                        static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap)
            : nullptr;
    if (image == nullptr) return picture;
    picture.width = image->width;
    picture.height = image->height;
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            // Our servers are all 24-bit TrueColor: red in the high byte.
            const unsigned long pixel = XGetPixel(image, x, y);
            for (int shift : {16, 8, 0}) picture.pixels.push_back(static_cast<unsigned char>(pixel >> shift));
        }
    }
    XDestroyImage(image);
    return picture;
}

// Starts the viewer with standard output and error going to the given
// descriptors; the process id, or -1.
pid_t startViewer(const ViewerLaunch& launch, int out, int err) {
    std::vector<std::string> words;
    std::istringstream launcher(std::getenv("VOLVIEW_LAUNCHER") ? std::getenv("VOLVIEW_LAUNCHER") : "");
    for (std::string word; launcher >> word;) words.push_back(word);
    words.push_back(runDirectory() + "/" + launch.executable);
    words.insert(words.end(), launch.arguments.begin(), launch.arguments.end());
    const std::string dir = launch.workingDir.empty() ? runDirectory() : launch.workingDir;

    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int nothing = open("/dev/null", O_RDONLY);
    if (nothing < 0 || chdir(dir.c_str()) != 0) _exit(126);
    dup2(nothing, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    for (const std::string& setting : launch.environment) {
        const std::size_t equals = setting.find('=');
        if (equals == std::string::npos) {
            unsetenv(setting.c_str());
        } else {
            setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
        }
    }
    const rlim_t bytes = static_cast<rlim_t>(launch.addressSpaceMiB) << 20;
    const rlimit limit{bytes, bytes};
    if (launch.addressSpaceMiB > 0 && setrlimit(RLIMIT_AS, &limit) != 0) _exit(125);
    if (launch.unprivileged && geteuid() == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(124);
#if defined(__SANITIZE_ADDRESS__)
        // The leak checker stops the threads through ptrace, which a process
        // that changed its user is now and then refused: the checker then
        // crashes at exit (seen once in CI), whatever the viewer did.
        const char* inherited = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (std::string(inherited ? inherited : "") + ":detect_leaks=0").c_str(), 1);
#endif
    }
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

}  // namespace

const std::vector<std::string>& programFiles() {
    static const std::vector<std::string> files = {
        "fragmentprog.txt",        "fragmentprog1.txt",        "transp.txt",     "transp_wobble.txt",
        "fragmentprog_wobble.txt", "fragmentprog1_wobble.txt", "vertexprog.txt",
    };
    return files;
}

void prepareRunDirectory(const std::string& dir) {
    chmod(dir.c_str(), 0755);  // for runs as user nobody
    for (const std::string& name : programFiles()) {
        writeBytes(dir + "/" + name, readBytes(runDirectory() + "/" + name));
    }
    // A small ball of "bone" in "soft tissue": quick to load, something to see.
    writeBytes(dir + "/skewed_head.dat", datasetBytes(16, 16, 16, [](int x, int y, int z) {
                   const int r2 = (x - 8) * (x - 8) + (y - 8) * (y - 8) + (z - 8) * (z - 8);
                   return static_cast<uint16_t>(r2 < 16 ? 2400 : r2 < 49 ? 1040 : 0);
               }));
}

void damageFile(const std::string& path, const Damage& damage) {
    if (damage.kind == Damage::content) return writeBytes(path, damage.text);
    if (damage.kind == Damage::unreadable) {
        chmod(path.c_str(), 0);
        return;
    }
    unlink(path.c_str());
    if (damage.kind == Damage::folder) mkdir(path.c_str(), 0755);
    if (damage.kind == Damage::linkTo) symlink(damage.text.c_str(), path.c_str());
    if (damage.kind == Damage::pipe) mkfifo(path.c_str(), 0644);
}

// ---- ViewerSession ------------------------------------------------------------

namespace {
std::string withLfLineEnds(std::string text) {
    if (std::getenv("VOLVIEW_LAUNCHER") == nullptr) return text;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.erase(at, 1);
    return text;
}
}  // namespace

std::string ViewerSession::standardOutput() const { return withLfLineEnds(readBytes(logs_.file("stdout"))); }
std::string ViewerSession::standardError() const { return withLfLineEnds(readBytes(logs_.file("stderr"))); }

ViewerSession::ViewerSession(const ViewerLaunch& launch) {
    const int out = open(logs_.file("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = open(logs_.file("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const std::string dir = launch.workingDir.empty() ? runDirectory() : launch.workingDir;
    if (watch_ >= 0) inotify_add_watch(watch_, dir.c_str(), IN_OPEN);
    if (out >= 0 && err >= 0) pid_ = startViewer(launch, out, err);
    close(out);
    close(err);
}

ViewerSession::~ViewerSession() {
    waitForExit(Seconds(0));
    if (watch_ >= 0) close(watch_);
}

bool ViewerSession::running() {
    int raw = 0;
    rusage usage{};
    if (pid_ <= 0 || wait4(pid_, &raw, WNOHANG, &usage) != pid_) return pid_ > 0;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    signal_ = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    peakKiB_ = usage.ru_maxrss;
    pid_ = -1;
    return false;
}

unsigned long ViewerSession::waitForWindow(Seconds limit) {
    const auto deadline = deadlineAfter(limit);
    for (; window_ == 0 && running(); pause(0.05)) {
        for (const auto& [id, title] : topWindows()) {
            if (title == "test") window_ = id;
        }
        if (Clock::now() >= deadline) break;
    }
    return window_;
}

bool ViewerSession::waitForOutput(const std::string& text, Seconds limit) {
    const auto deadline = deadlineAfter(limit);
    for (bool alive = true; alive && Clock::now() < deadline; pause(0.05)) {
        alive = running();
        if (standardOutput().find(text) != std::string::npos) return true;
    }
    return false;
}

void ViewerSession::moveMouse(int x, int y) {
    xdotool("mousemove --window " + std::to_string(window_) + " " + std::to_string(x) + " " +
            std::to_string(y));
}

void ViewerSession::typeKeys(const std::string& keys) {
    // Focus first, so the keys go to the viewer wherever the pointer is.
    xdotool("windowfocus " + std::to_string(window_) + " key --delay 50 " + keys);
}

void ViewerSession::drag(int button, int fromX, int fromY, int toX, int toY, const std::string& held) {
    const std::string window = " --window " + std::to_string(window_) + " ";
    std::string steps;
    for (int i = 1; i <= 4; ++i) {
        steps += " mousemove" + window + std::to_string(fromX + (toX - fromX) * i / 4) + " " +
                 std::to_string(fromY + (toY - fromY) * i / 4) + " sleep 0.05";
    }
    const std::string press = held.empty() ? "" : " keydown " + held;
    const std::string release = held.empty() ? "" : " keyup " + held;
    xdotool("windowfocus " + std::to_string(window_) + " mousemove" + window + std::to_string(fromX) + " " +
            std::to_string(fromY) + press + " mousedown " + std::to_string(button) + steps + " mouseup " +
            std::to_string(button) + release);
}

bool ViewerSession::resize(int width, int height) {
    return xdotool("windowsize " + std::to_string(window_) + " " + std::to_string(width) + " " +
                   std::to_string(height));
}

double ViewerSession::processorSeconds() const { return platform::processorSeconds(pid_); }

void ViewerSession::click(int button, int repeat, int delayMs) {
    xdotool("click --repeat " + std::to_string(repeat) + " --delay " + std::to_string(delayMs) + " " +
            std::to_string(button));
}

bool ViewerSession::requestClose() {
    return runCommand("timeout 10 /usr/bin/python3 " VOLVIEW_SOURCE_DIR "/tools/scripts/close_window.py " +
                      std::to_string(window_))
               .status == 0;
}

RgbImage ViewerSession::waitForPicture(const std::function<bool(const RgbImage&)>& accept, bool& accepted,
                                       Seconds limit) {
    const auto deadline = deadlineAfter(limit);
    RgbImage picture;
    do {
        picture = grab(window_);
        if ((accepted = picture.width > 0 && accept(picture))) return picture;
        pause(0.1);
    } while (Clock::now() < deadline && running());
    return picture;
}

RgbImage ViewerSession::waitForSettledPicture(const std::function<bool(const RgbImage&)>& accept,
                                              bool& accepted, Seconds limit) {
    RgbImage last;
    return waitForPicture(
        [&](const RgbImage& p) {
            const bool same = accept(p) && differentPixels(p, last, 0) == 0;
            last = p;
            if (!same) pause(0.5);
            return same;
        },
        accepted, limit);
}

RgbImage ViewerSession::waitForReference(const std::string& name, bool& matched, Seconds limit) {
    if (std::getenv("VOLVIEW_UPDATE_REFERENCES") != nullptr) {
        std::this_thread::sleep_until(deadlineAfter(Seconds(8)));
        RgbImage picture = grab(window_);
        matched = writePng(referencePath(name), picture);
        return picture;
    }
    RgbImage reference;
    matched = false;
    if (!readPng(referencePath(name), reference)) return reference;
    return waitForPicture([&](const RgbImage& picture) { return matchesReference(picture, reference); },
                          matched, limit);
}

int ViewerSession::waitForExit(Seconds limit) {
    const auto deadline = deadlineAfter(limit);
    for (; running(); pause(0.05)) {
        if (Clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return status_ = -1;
        }
    }
    return status_;
}

const std::vector<std::string>& ViewerSession::opened() {
    char events[4096];
    ssize_t got;
    while (watch_ >= 0 && (got = read(watch_, events, sizeof events)) > 0) {
        for (char* at = events; at < events + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->len > 0) opened_.emplace_back(event->name);
            at += sizeof(inotify_event) + event->len;
        }
    }
    return opened_;
}

// ---- A whole run ----------------------------------------------------------------

bool ViewerRun::openedFile(const std::string& name) const {
    return std::find(opened.begin(), opened.end(), name) != opened.end();
}

bool ViewerRun::sanitizerReport() const {
    for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "UndefinedBehaviorSanitizer",
                             "runtime error:"}) {
        if (err.find(mark) != std::string::npos || out.find(mark) != std::string::npos) return true;
    }
    return false;
}

std::string ViewerRun::describe() const {
    std::string text = exited ? "exit status " + std::to_string(status) : "killed";
    if (timedOut) text += " at the deadline";
    text += ", " + std::to_string(seconds) + " s, peak " + std::to_string(peakResidentKiB / 1024) +
            " MiB\nboxes:";
    for (const std::string& box : boxes) text += " [" + box + "]";
    text += "\nopened:";
    for (const std::string& name : opened) text += " " + name;
    return text + "\nstdout:\n" + out + "stderr:\n" + err;
}

ViewerRun runViewer(const ViewerLaunch& launch, bool closeWhenStarted, Seconds deadline) {
    ViewerRun run;
    const Clock::time_point start = Clock::now(), end = deadlineAfter(deadline);
    ViewerSession viewer(launch);
    Clock::time_point lastClose{}, lastPress{};
    std::vector<unsigned long> seen;
    while (viewer.running() && !(run.timedOut = Clock::now() > end)) {
        // Every box gets Return, as a person would press it; again now and
        // then while it stays, in case a press came before it could take it.
        for (const auto& [id, title] : topWindows()) {
            if (title == "test") continue;
            if (std::find(seen.begin(), seen.end(), id) == seen.end()) {
                seen.push_back(id);
                run.boxes.push_back(title);
            } else if (Clock::now() - lastPress < std::chrono::seconds(2)) {
                continue;
            }
            xdotool("windowfocus " + std::to_string(id) + " key Return");
            lastPress = Clock::now();
        }
        const bool started = viewer.waitForWindow(Seconds(0)) != 0 &&
                             viewer.standardOutput().find("finishing initialisation") != std::string::npos;
        if (closeWhenStarted && started && Clock::now() - lastClose > std::chrono::seconds(5)) {
            lastClose = Clock::now();
            viewer.requestClose();
        }
        pause(0.2);
    }
    run.status = viewer.waitForExit(Seconds(0));
    run.exited = !run.timedOut && viewer.signal() == 0;
    run.seconds = Seconds(Clock::now() - start).count();
    run.peakResidentKiB = viewer.peakResidentKiB();
    run.out = viewer.standardOutput();
    run.err = viewer.standardError();
    run.opened = viewer.opened();
    return run;
}

ViewerRun runWithDamage(const std::string& file, const Damage& damage) {
    TempDir dir;
    prepareRunDirectory(dir.path());
    damageFile(dir.file(file), damage);
    ViewerLaunch launch{"volview256", dir.path()};
    launch.unprivileged = damage.kind == Damage::unreadable;
    return runViewer(launch);
}

// ---- Pictures ---------------------------------------------------------------

int differentPixels(const RgbImage& a, const RgbImage& b, int channelTolerance) {
    return countDifferentPixels(a, b, channelTolerance, kOverlayWidth, kOverlayHeight);
}

int nonBackgroundPixels(const RgbImage& image) {
    RgbImage grey = image;
    std::fill(grey.pixels.begin(), grey.pixels.end(), 128);
    return differentPixels(image, grey, 2);
}

std::string referencePath(const std::string& name) { return VOLVIEW_APP_REFERENCE_DIR "/" + name + ".png"; }

bool matchesReference(const RgbImage& picture, const RgbImage& reference) {
    const int different = differentPixels(picture, reference, kChannelTolerance);
    return different >= 0 && different <= kAllowedPixels;
}

std::string keepForInspection(const RgbImage& picture, const std::string& name) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("volview-e2e-" + name + ".png")).string();
    writePng(path, picture);
    return path;
}

}  // namespace testing_support
