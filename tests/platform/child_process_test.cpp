// The confined child: what it may still do, what it may not, and how the
// parent learns of its end.
#include "platform/child_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>

#include "tests/common/temp_dir.h"

namespace {

using testing_support::TempDir;

constexpr unsigned kCpuSeconds = 7;

struct ProbeContext {
    std::string dir;
    int parentFd;  // a descriptor the parent holds open
};

// Tries what a crafted file would make a reader try; answers "name=1" for
// each call that succeeded, "name=0" for each refused.
int probe(const platform::ParentLink& link, void* context) {
    const auto& c = *static_cast<ProbeContext*>(context);
    const std::string existing = c.dir + "/existing";
    rlimit size{}, cpu{};
    getrlimit(RLIMIT_FSIZE, &size);
    getrlimit(RLIMIT_CPU, &cpu);
    const pid_t forked = fork();
    if (forked == 0) _exit(0);
    const std::map<std::string, bool> tried = {
        {"read a file", open(existing.c_str(), O_RDONLY) >= 0},
        {"create a file", open((c.dir + "/made").c_str(), O_WRONLY | O_CREAT, 0600) >= 0},
        {"write a file", open(existing.c_str(), O_RDWR) >= 0},
        {"append to a file", open(existing.c_str(), O_WRONLY | O_APPEND) >= 0},
        {"remove a file", unlink(existing.c_str()) == 0},
        {"make a folder", mkdir((c.dir + "/folder").c_str(), 0700) == 0},
        {"internet socket", socket(AF_INET, SOCK_STREAM, 0) >= 0},
        {"local socket", socket(AF_UNIX, SOCK_STREAM, 0) >= 0},
        {"start a process", forked >= 0},
        {"run a program", execl("/bin/true", "true", static_cast<char*>(nullptr)) == 0},
        {"signal the parent", kill(getppid(), 0) == 0},
        {"use the parent's descriptor", fcntl(c.parentFd, F_GETFD) >= 0},
        {"write to its output", write(1, "from the child\n", 15) == 15},
        {"no file may grow", size.rlim_cur == 0},
        {"processor time limited", cpu.rlim_cur == kCpuSeconds},
    };
    std::string answer;
    for (const auto& [name, succeeded] : tried) answer += name + "=" + (succeeded ? "1\n" : "0\n");
    return platform::writeToParent(link, answer.data(), answer.size()) ? 0 : 1;
}

std::string readAll(platform::ChildProcess& child) {
    std::string text;
    char chunk[256];
    for (std::size_t got; (got = child.read(chunk, sizeof chunk)) > 0;) text.append(chunk, got);
    return text;
}

std::string contents(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    return text;
}

TEST(ChildProcess, ConfinedChildReadsAndWritesToItsParentOnly) {
    TempDir dir;
    testing_support::writeBytes(dir.file("existing"), "data");
    std::FILE* out = std::tmpfile();
    // Above the child's own 0 to 3, as the viewer's display connection is.
    ProbeContext context{dir.path(), fcntl(fileno(out), F_DUPFD_CLOEXEC, 20)};
    platform::ChildTask task;
    task.work = &probe;
    task.context = &context;
    task.out = out;
    task.limits.cpuSeconds = kCpuSeconds;
    platform::ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.start(task, error)) << error;
    const std::string answer = readAll(child);
    const platform::ChildEnd end = child.wait();
    EXPECT_TRUE(end.exited && end.status == 0) << end.description;
    for (const char* allowed :
         {"read a file", "write to its output", "no file may grow", "processor time limited"})
        EXPECT_NE(answer.find(std::string(allowed) + "=1"), std::string::npos) << allowed << " in\n"
                                                                               << answer;
    for (const char* refused : {"create a file", "write a file", "append to a file", "remove a file",
                                "make a folder", "internet socket", "local socket", "start a process",
                                "run a program", "signal the parent", "use the parent's descriptor"}) {
        EXPECT_NE(answer.find(std::string(refused) + "=0"), std::string::npos) << refused << " in\n"
                                                                               << answer;
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"existing"});
    EXPECT_EQ(contents(out), "from the child\n");  // relayed, not written by the child
    std::fclose(out);
    close(context.parentFd);
}

int endWith(const platform::ParentLink&, void* how) {
    std::fputs("last words\n", stderr);
    if (*static_cast<int*>(how) == SIGABRT) std::abort();
    return *static_cast<int*>(how);
}

TEST(ChildProcess, TellsHowTheChildEnded) {
    const struct {
        int how;
        bool exited;
        const char* description;
    } cases[] = {
        {0, true, "exit status 0"}, {3, true, "exit status 3"}, {SIGABRT, false, "signal 6 (Aborted)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        std::FILE* err = std::tmpfile();
        platform::ChildTask task;
        task.work = &endWith;
        task.context = const_cast<int*>(&c.how);
        task.err = err;
        platform::ChildProcess child;
        std::string error;
        ASSERT_TRUE(child.start(task, error)) << error;
        EXPECT_EQ(readAll(child), "");
        const platform::ChildEnd end = child.wait();
        EXPECT_EQ(end.exited, c.exited);
        EXPECT_EQ(end.description, c.description);
        EXPECT_EQ(contents(err), "last words\n");
        std::fclose(err);
    }
}

}  // namespace
