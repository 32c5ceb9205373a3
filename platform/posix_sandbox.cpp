// The reader's confinement on Linux: resource limits, then a seccomp filter
// (classic BPF, installed with prctl) that allows the calls reading files
// and computing need. Everything else fails with EPERM: no sockets, no
// new processes or programs, no file opened for writing, created, renamed
// or removed, no signals to other processes.
#include "platform/posix_sandbox.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#define VOLVIEW_SECCOMP_ARCH AUDIT_ARCH_X86_64
#elif defined(__aarch64__)
#define VOLVIEW_SECCOMP_ARCH AUDIT_ARCH_AARCH64
#endif

namespace platform {
namespace {

// The calls allowed whatever their arguments: reading, memory, time,
// signals to itself, the end.
const int kAllowed[] = {
    SYS_read,
    SYS_readv,
    SYS_pread64,
    SYS_preadv,
    SYS_lseek,
    SYS_close,
    SYS_fstat,
    SYS_newfstatat,
    SYS_statx,
    SYS_getdents64,
    SYS_faccessat,
    SYS_readlinkat,
    SYS_getcwd,
    SYS_fcntl,
    SYS_mmap,
    SYS_munmap,
    SYS_mremap,
    SYS_mprotect,
    SYS_brk,
    SYS_madvise,
    SYS_futex,
    SYS_set_robust_list,
    SYS_rt_sigaction,
    SYS_rt_sigprocmask,
    SYS_rt_sigreturn,
    SYS_sigaltstack,
    SYS_exit,
    SYS_exit_group,
    SYS_getpid,
    SYS_gettid,
    SYS_getppid,
    SYS_getuid,
    SYS_geteuid,
    SYS_getgid,
    SYS_getegid,
    SYS_clock_gettime,
    SYS_clock_getres,
    SYS_gettimeofday,
    SYS_nanosleep,
    SYS_clock_nanosleep,
    SYS_sched_yield,
    SYS_getrandom,
    SYS_uname,
    SYS_sysinfo,
    SYS_sched_getaffinity,
    SYS_getrlimit,
    SYS_restart_syscall,
#ifdef SYS_rseq
    SYS_rseq,
#endif
#ifdef SYS_faccessat2
    SYS_faccessat2,
#endif
#ifdef SYS_open  // the older calls, where the architecture still has them
    SYS_stat,
    SYS_lstat,
    SYS_access,
    SYS_readlink,
    SYS_getdents,
    SYS_time,
#endif
};

// Opening flags that would write, create or empty a file.
constexpr uint32_t kWritingFlags = O_ACCMODE | O_CREAT | O_TRUNC | O_APPEND;

uint32_t argumentLow(int index) {
    // NOTE: the filter sees 64-bit arguments; int arguments are the low half
    // on little-endian hosts, which every seccomp architecture here is.
    return static_cast<uint32_t>(offsetof(seccomp_data, args) + 8 * static_cast<std::size_t>(index));
}

class FilterProgram {
public:
    void load(uint32_t offset) { add(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offset)); }
    void result(uint32_t action) { add(BPF_STMT(BPF_RET | BPF_K, action)); }
    // Allows call `number` outright.
    void allow(int number) {
        add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(number), 0, 1));
        result(SECCOMP_RET_ALLOW);
    }
    // Allows call `number` when argument `index` is one of `values`.
    void allowWhenOneOf(int number, int index, const std::vector<uint32_t>& values) {
        const auto size = static_cast<uint8_t>(values.size());
        add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(number), 0,
                     static_cast<uint8_t>(size + 3)));
        load(argumentLow(index));
        for (uint8_t i = 0; i < size; ++i) {
            add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, values[i], static_cast<uint8_t>(size - i), 0));
        }
        result(SECCOMP_RET_ERRNO | EPERM);
        result(SECCOMP_RET_ALLOW);
    }
    // Allows call `number` when argument `index` has none of `bits`.
    void allowWithout(int number, int index, uint32_t bits) {
        add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(number), 0, 4));
        load(argumentLow(index));
        add(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, bits, 1, 0));
        result(SECCOMP_RET_ALLOW);
        result(SECCOMP_RET_ERRNO | EPERM);
    }
    // Allows call `number` when argument `index` is a null pointer.
    void allowWhenNull(int number, int index) {
        add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(number), 0, 6));
        load(argumentLow(index));
        add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, 0, 2));
        load(argumentLow(index) + 4);
        add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, 1, 0));
        result(SECCOMP_RET_ERRNO | EPERM);
        result(SECCOMP_RET_ALLOW);
    }
    // Ends with `action` unless the loaded value is `value`.
    void jumpUnless(uint32_t value, uint32_t action) {
        add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, value, 1, 0));
        result(action);
    }
    // Refuses every call numbered `first` or above.
    void refuseFrom(uint32_t first) {
        add(BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, first, 0, 1));
        result(SECCOMP_RET_ERRNO | EPERM);
    }
    sock_fprog program() { return sock_fprog{static_cast<unsigned short>(code_.size()), code_.data()}; }

private:
    void add(sock_filter instruction) { code_.push_back(instruction); }
    std::vector<sock_filter> code_;
};

#ifdef VOLVIEW_SECCOMP_ARCH
bool installFilter(std::initializer_list<int> writable, std::string& problem) {
    std::vector<uint32_t> fds(writable.begin(), writable.end());
    const auto self = static_cast<uint32_t>(::getpid());
    FilterProgram program;
    // Another architecture's call numbers mean other calls: end the process.
    program.load(offsetof(seccomp_data, arch));
    program.jumpUnless(VOLVIEW_SECCOMP_ARCH, SECCOMP_RET_KILL_PROCESS);
    program.load(offsetof(seccomp_data, nr));
#if defined(__x86_64__)
    program.refuseFrom(0x40000000u);  // the x32 calls
#endif
    for (int number : kAllowed) program.allow(number);
#ifdef VOLVIEW_SANITIZERS
    // NOTE: the sanitizers test whether memory is readable by writing it
    // into a pipe of their own; such a pipe reaches nothing outside.
    for (int number : {SYS_write, SYS_writev, SYS_pwrite64, SYS_pipe2}) program.allow(number);
#else
    for (int number : {SYS_write, SYS_writev, SYS_pwrite64}) program.allowWhenOneOf(number, 0, fds);
#endif
    program.allowWithout(SYS_openat, 2, kWritingFlags);
#ifdef SYS_open
    program.allowWithout(SYS_open, 1, kWritingFlags);
#endif
    program.allowWhenOneOf(SYS_ioctl, 1, {TCGETS});  // is it a terminal
    for (int number : {SYS_kill, SYS_tkill, SYS_tgkill}) program.allowWhenOneOf(number, 0, {self});
    program.allowWhenNull(SYS_prlimit64, 2);  // reading a limit, not setting one
    program.result(SECCOMP_RET_ERRNO | EPERM);
    sock_fprog code = program.program();
    if (::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &code, 0, 0) != 0) {
        problem = std::string("cannot install the system-call filter (") + std::strerror(errno) + ")";
        return false;
    }
    return true;
}
#endif

bool limit(int resource, rlim_t soft, rlim_t hard, const char* name, std::string& problem) {
    rlimit now{};
    if (::getrlimit(resource, &now) == 0) {
        // Never above what the parent was already given.
        if (now.rlim_cur != RLIM_INFINITY && now.rlim_cur < soft) soft = now.rlim_cur;
        if (now.rlim_max != RLIM_INFINITY && now.rlim_max < hard) hard = now.rlim_max;
    }
    if (hard < soft) hard = soft;
    const rlimit wanted{soft, hard};
    if (::setrlimit(resource, &wanted) == 0) return true;
    problem = std::string("cannot limit ") + name + " (" + std::strerror(errno) + ")";
    return false;
}

}  // namespace

bool enterSandbox(const ChildLimits& limits, std::initializer_list<int> writable, std::string& problem) {
    if (!limit(RLIMIT_CORE, 0, 0, "core files", problem) ||
        !limit(RLIMIT_FSIZE, 0, 0, "file sizes", problem) ||
        !limit(RLIMIT_NOFILE, 64, 64, "open files", problem)) {
        return false;
    }
    if (limits.cpuSeconds > 0 &&
        !limit(RLIMIT_CPU, limits.cpuSeconds, limits.cpuSeconds + 5, "processor time", problem)) {
        return false;
    }
#ifndef VOLVIEW_SANITIZERS  // NOTE: their shadow memory reserves terabytes of address space
    if (limits.memoryBytes > 0 &&
        !limit(RLIMIT_AS, limits.memoryBytes, limits.memoryBytes, "memory", problem))
        return false;
#endif
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        problem = std::string("cannot drop privileges (") + std::strerror(errno) + ")";
        return false;
    }
#ifdef VOLVIEW_SECCOMP_ARCH
    return installFilter(writable, problem);
#else
    (void)writable;
    return true;  // NOTE: no filter for this architecture; the limits stand alone
#endif
}

}  // namespace platform
