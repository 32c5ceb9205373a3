#include "tests/app/viewer_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/common/run_command.h"

namespace viewer_test {
namespace {

using Clock = std::chrono::steady_clock;

Clock::duration scaled(Seconds limit) {
    return std::chrono::duration_cast<Clock::duration>(limit * slowdown());
}

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

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

std::string windowTitle(Display* connection, ::Window window) {
    char* name = nullptr;
    if (XFetchName(connection, window, &name) == 0 || name == nullptr) return "";
    std::string title = name;
    XFree(name);
    return title;
}

int shiftOf(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

bool inOverlay(int x, int y) { return x < kOverlayWidth && y < kOverlayHeight; }

}  // namespace

std::string runDirectory() {
    const char* dir = std::getenv("VOLVIEW_RUN_DIR");
    return dir != nullptr ? dir : "";
}

double slowdown() {
#if defined(__SANITIZE_ADDRESS__)
    return 4.0;
#else
    return 1.0;
#endif
}

RunDirectoryCopy::RunDirectoryCopy() {
    for (const auto& entry : std::filesystem::directory_iterator(runDirectory())) {
        std::filesystem::create_symlink(entry.path(), dir_.file(entry.path().filename().string()));
    }
}

void RunDirectoryCopy::replace(const std::string& name, const std::string& bytes) {
    remove(name);
    dir_.write(name, bytes);
}

void RunDirectoryCopy::remove(const std::string& name) {
    std::error_code ignored;
    std::filesystem::remove(dir_.file(name), ignored);
}

std::vector<TopWindow> topWindows() {
    std::vector<TopWindow> found;
    Display* connection = display();
    if (connection == nullptr) return found;
    ::Window root = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(connection, DefaultRootWindow(connection), &root, &parent, &children, &count) == 0) {
        return found;
    }
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(connection, children[i], &attributes) == 0 ||
            attributes.map_state != IsViewable) {
            continue;
        }
        const std::string title = windowTitle(connection, children[i]);
        if (!title.empty()) found.push_back({children[i], title});
    }
    if (children != nullptr) XFree(children);
    return found;
}

bool xdotool(const std::string& arguments) {
    return testing_support::runCommand("timeout 10 xdotool " + arguments).status == 0;
}

RgbImage grabWindow(unsigned long window) {
    RgbImage picture;
    Display* connection = display();
    if (connection == nullptr || window == 0) return picture;
    XImage* image = XGetImage(connection, window, 0, 0, 400, 400, AllPlanes, ZPixmap);
    if (image == nullptr) return picture;
    const int red = shiftOf(image->red_mask), green = shiftOf(image->green_mask),
              blue = shiftOf(image->blue_mask);
    picture.width = image->width;
    picture.height = image->height;
    picture.pixels.reserve(static_cast<size_t>(image->width) * image->height * 3);
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            picture.pixels.push_back(static_cast<unsigned char>((pixel & image->red_mask) >> red));
            picture.pixels.push_back(static_cast<unsigned char>((pixel & image->green_mask) >> green));
            picture.pixels.push_back(static_cast<unsigned char>((pixel & image->blue_mask) >> blue));
        }
    }
    XDestroyImage(image);
    return picture;
}

// ---- ViewerSession ---------------------------------------------------------

ViewerSession::ViewerSession(const std::string& executable, const std::string& workingDir,
                             const std::string& displayName) {
    const std::string program = runDirectory() + "/" + executable;
    const std::string directory = workingDir.empty() ? runDirectory() : workingDir;
    const std::string out = logs_.file("stdout"), err = logs_.file("stderr");
    pid_ = fork();
    if (pid_ == 0) {
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nullFd = open("/dev/null", O_RDONLY);
        if (outFd < 0 || errFd < 0 || nullFd < 0 || chdir(directory.c_str()) != 0) _exit(126);
        dup2(nullFd, 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        if (!displayName.empty()) setenv("DISPLAY", displayName.c_str(), 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
}

ViewerSession::~ViewerSession() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool ViewerSession::running() {
    if (pid_ <= 0) return false;
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) != pid_) return true;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    pid_ = -1;
    return false;
}

unsigned long ViewerSession::waitForWindow(Seconds limit) {
    const auto deadline = Clock::now() + scaled(limit);
    while (Clock::now() < deadline && running()) {
        for (const TopWindow& top : topWindows()) {
            if (top.title == "test") return window_ = top.id;
        }
        pause(0.05);
    }
    return 0;
}

void ViewerSession::moveMouse(int x, int y) {
    xdotool("mousemove --window " + std::to_string(window_) + " " + std::to_string(x) + " " +
            std::to_string(y));
}

void ViewerSession::typeKeys(const std::string& keys) {
    // Focus first, so the keys go to the viewer wherever the pointer is.
    xdotool("windowfocus " + std::to_string(window_) + " key --delay 50 " + keys);
}

void ViewerSession::click(int button, int repeat, int delayMs) {
    xdotool("click --repeat " + std::to_string(repeat) + " --delay " + std::to_string(delayMs) + " " +
            std::to_string(button));
}

bool ViewerSession::requestClose() {
    // By window id: another window called "test" on the same display (a
    // second viewer) must not receive this viewer's close request.
    return testing_support::runCommand("timeout 10 /usr/bin/python3 " VOLVIEW_SOURCE_DIR
                                       "/tools/scripts/close_window.py " +
                                       std::to_string(window_))
               .status == 0;
}

RgbImage ViewerSession::waitForPicture(const std::function<bool(const RgbImage&)>& accept, bool& accepted,
                                       Seconds limit) {
    accepted = false;
    RgbImage picture;
    const auto deadline = Clock::now() + scaled(limit);
    do {
        picture = grabWindow(window_);
        if (picture.width == 400 && accept(picture)) {
            accepted = true;
            return picture;
        }
        pause(0.1);
    } while (Clock::now() < deadline && running());
    return picture;
}

RgbImage ViewerSession::waitForReference(const std::string& name, bool& matched, Seconds limit) {
    if (std::getenv("VOLVIEW_UPDATE_REFERENCES") != nullptr) {
        pause(8 * slowdown());
        RgbImage picture = grabWindow(window_);
        matched = writePng(referencePath(name), picture);
        return picture;
    }
    RgbImage reference;
    if (!readPng(referencePath(name), reference)) {
        matched = false;
        return reference;
    }
    return waitForPicture([&](const RgbImage& picture) { return matchesReference(picture, reference); },
                          matched, limit);
}

TopWindow ViewerSession::waitForMessageBox(Seconds limit) {
    const auto deadline = Clock::now() + scaled(limit);
    while (Clock::now() < deadline && running()) {
        for (const TopWindow& top : topWindows()) {
            if (top.id != window_ && top.title != "test") return top;
        }
        pause(0.05);
    }
    return {};
}

bool ViewerSession::dismiss(const TopWindow& box) {
    return xdotool("windowfocus " + std::to_string(box.id) + " key Return");
}

int ViewerSession::waitForExit(Seconds limit, bool killAfter) {
    const auto deadline = Clock::now() + scaled(limit);
    while (running()) {
        if (Clock::now() >= deadline) {
            if (!killAfter) return -1;
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return status_ = -1;
        }
        pause(0.05);
    }
    return status_;
}

std::string ViewerSession::standardOutput() const { return testing_support::readBytes(logs_.file("stdout")); }

std::string ViewerSession::standardError() const { return testing_support::readBytes(logs_.file("stderr")); }

// ---- Pictures ------------------------------------------------------------

int differentPixels(const RgbImage& a, const RgbImage& b, int channelTolerance) {
    if (a.width != b.width || a.height != b.height) return -1;
    int different = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (inOverlay(x, y)) continue;
            const size_t i = (static_cast<size_t>(y) * a.width + x) * 3;
            for (int c = 0; c < 3; ++c) {
                if (std::abs(a.pixels[i + c] - b.pixels[i + c]) > channelTolerance) {
                    ++different;
                    break;
                }
            }
        }
    }
    return different;
}

int nonBackgroundPixels(const RgbImage& image) {
    RgbImage grey = image;
    for (size_t i = 0; i < grey.pixels.size(); ++i) grey.pixels[i] = 128;
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

}  // namespace viewer_test

