#include "tests/reliability/viewer_process.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/common/temp_dir.h"
#include "tests/volume/dataset_builder.h"

namespace testing_support {
namespace {

using Clock = std::chrono::steady_clock;

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string capture(const std::string& command) {
    std::string output;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char chunk[1024];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
    pclose(pipe);
    return output;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// The display the viewer will use: a private server for the test process,
// unless the options name another or none.
std::string viewerDisplay(const ViewerRunOptions& options) {
    static PrivateXServer shared;  // stopped at exit
    std::string display = shared.display();
    for (const std::string& setting : options.environment) {
        if (setting == "DISPLAY") display.clear();
        if (setting.rfind("DISPLAY=", 0) == 0) display = setting.substr(8);
    }
    return display;
}

// Names of the windows with a name on `display`. A name may hold line ends
// (a driver's message does), so each is asked for on its own.
std::vector<std::string> windowNames(const std::string& display) {
    std::vector<std::string> names;
    if (display.empty()) return names;
    const std::string prefix = "DISPLAY=" + shellQuote(display) + " xdotool ";
    for (const std::string& id : linesOf(capture(prefix + "search --name . 2>/dev/null"))) {
        if (id.empty()) continue;
        std::string name = capture(prefix + "getwindowname " + id + " 2>/dev/null");
        if (!name.empty() && name.back() == '\n') name.pop_back();
        if (!name.empty()) names.push_back(name);  // empty: it went away meanwhile
    }
    return names;
}

[[noreturn]] void execViewer(const std::string& dir, const ViewerRunOptions& options, const std::string& display,
                             int out, int err) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    if (display.empty()) {
        unsetenv("DISPLAY");
    } else {
        setenv("DISPLAY", display.c_str(), 1);
    }
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    for (const std::string& setting : options.environment) {
        const std::size_t equals = setting.find('=');
        if (equals == std::string::npos) {
            unsetenv(setting.c_str());
        } else {
            setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
        }
    }
    if (options.addressSpaceMiB > 0) {
        const rlim_t bytes = static_cast<rlim_t>(options.addressSpaceMiB) << 20;
        const rlimit limit{bytes, bytes};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(125);
    }
    if (options.unprivileged && geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
        _exit(124);
    }
    const std::string path = builtRunDirectory() + "/" + options.executable;
    execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

}  // namespace

bool ViewerRun::openedFile(const std::string& name) const {
    for (const std::string& entry : opened)
        if (entry == name) return true;
    return false;
}

bool ViewerRun::sanitizerReport() const {
    for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "UndefinedBehaviorSanitizer", "runtime error:"}) {
        if (err.find(mark) != std::string::npos || out.find(mark) != std::string::npos) return true;
    }
    return false;
}

std::string ViewerRun::describe() const {
    std::string text = exited ? "exit status " + std::to_string(status) : "signal " + std::to_string(signal);
    if (timedOut) text += " (killed at the deadline)";
    text += ", " + std::to_string(seconds) + " s, peak " + std::to_string(peakResidentKiB / 1024) + " MiB\nboxes:";
    for (const std::string& box : boxes) text += " [" + box + "]";
    text += "\nopened:";
    for (const std::string& name : opened) text += " " + name;
    return text + "\nstdout:\n" + out + "stderr:\n" + err;
}

std::string builtRunDirectory() {
    const char* dir = std::getenv("VOLVIEW_RUN_DIR");
    return dir != nullptr ? dir : "";
}

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
        writeBytes(dir + "/" + name, readBytes(builtRunDirectory() + "/" + name));
    }
    // A small ball of "bone" in "soft tissue": quick to load, something to see.
    writeBytes(dir + "/skewed_head.dat", datasetBytes(16, 16, 16, [](int x, int y, int z) {
                   const int r2 = (x - 8) * (x - 8) + (y - 8) * (y - 8) + (z - 8) * (z - 8);
                   return static_cast<uint16_t>(r2 < 16 ? 2400 : r2 < 49 ? 1040 : 0);
               }));
}

ViewerRun runViewer(const std::string& dir, const ViewerRunOptions& options) {
    ViewerRun run;
    TempDir outputs;
    const int out = open(outputs.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = open(outputs.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch >= 0) inotify_add_watch(watch, dir.c_str(), IN_OPEN);
    const std::string display = viewerDisplay(options);
    const std::string closer = std::string(VOLVIEW_SOURCE_DIR) + "/tools/scripts/close_window.py";

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) execViewer(dir, options, display, out, err);
    close(out);
    close(err);
    if (pid < 0) return run;

    bool started = false;
    bool boxShown = false;
    Clock::time_point lastPoll{}, lastClose{};
    for (;;) {
        int status = 0;
        rusage usage{};
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        char events[4096];
        ssize_t got;
        while (watch >= 0 && (got = read(watch, events, sizeof events)) > 0) {
            for (char* at = events; at < events + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0) run.opened.emplace_back(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        if (done == pid) {
            run.exited = WIFEXITED(status);
            run.status = run.exited ? WEXITSTATUS(status) : -1;
            run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            run.peakResidentKiB = usage.ru_maxrss;
            break;
        }
        const Clock::time_point now = Clock::now();
        if (std::chrono::duration<double>(now - start).count() > options.deadlineSeconds) {
            kill(pid, SIGKILL);
            run.timedOut = true;
            continue;  // reaped on the next turn
        }
        if (now - lastPoll > std::chrono::milliseconds(200)) {
            lastPoll = now;
            bool box = false, window = false;
            for (const std::string& name : windowNames(display)) {
                if (name == "test") {
                    window = true;
                    continue;
                }
                box = true;
                if (!boxShown) run.boxes.push_back(name);
            }
            boxShown = box;
            // The box takes the keyboard focus; Return is its OK.
            if (box) std::system(("DISPLAY=" + shellQuote(display) + " xdotool key Return 2>/dev/null").c_str());
            if (!started && window && readBytes(outputs.file("out")).find("finishing initialisation") != std::string::npos) {
                started = true;
                if (options.whenStarted) options.whenStarted(pid);
            }
            if (started && options.closeWhenStarted && now - lastClose > std::chrono::seconds(5)) {
                lastClose = now;
                std::system(("DISPLAY=" + shellQuote(display) + " /usr/bin/python3 " + shellQuote(closer) +
                             " test >/dev/null 2>&1").c_str());
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (watch >= 0) close(watch);
    run.out = readBytes(outputs.file("out"));
    run.err = readBytes(outputs.file("err"));
    return run;
}

PrivateXServer::PrivateXServer() {
    // A number of its own, chosen here rather than with -displayfd: servers
    // that start at the same moment (tests run in parallel) can otherwise
    // end up on one number. The screen width tells this server from any
    // other that answers on the number.
    const int width = 800 + static_cast<int>(getpid() % 200);
    const std::string geometry = std::to_string(width) + " 600";
    for (int attempt = 0; attempt < 40 && display_.empty(); ++attempt) {
        const std::string display = ":" + std::to_string(300 + (getpid() * 7 + attempt * 13) % 600);
        const pid_t pid = fork();
        if (pid == 0) {
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
            const std::string screen = std::to_string(width) + "x600x24";
            // -noreset: by default the server resets when its last client
            // leaves and refuses connections meanwhile; a viewer starting
            // just then would find no display.
            execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", "-noreset",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int wait = 0; wait < 100; ++wait) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) break;  // the number was taken
            const std::string answer = capture("DISPLAY=" + display + " xdotool getdisplaygeometry 2>/dev/null");
            if (answer.rfind(geometry, 0) == 0) {
                pid_ = pid;
                display_ = display;
                break;
            }
            usleep(50 * 1000);
        }
        if (display_.empty() && waitpid(pid, nullptr, WNOHANG) == 0) {
            ::kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
}

PrivateXServer::~PrivateXServer() { kill(); }

void PrivateXServer::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
}

}  // namespace testing_support
