// Child processes on Windows: the helper executable beside the running one,
// started with CreateProcess. It inherits three handles only: the caller's
// output and error streams as its own, and the write end of the answer
// pipe, whose number is its last argument. A job object caps its memory
// and processor time and ends it with the parent.
#include <io.h>
#include <windows.h>

#include <cstdlib>

#include "platform/child_process.h"
#include "platform/process.h"

namespace platform {
namespace {

// One argument quoted as the C runtime's command-line parser reads it back.
std::string quoted(const std::string& argument) {
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        text.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        text.push_back(c);
    }
    text.append(2 * backslashes, '\\');
    return text + "\"";
}

// An inheritable copy of the handle behind `stream`, or of NUL.
HANDLE inheritableHandle(std::FILE* stream) {
    HANDLE source = INVALID_HANDLE_VALUE;
    const int fd = stream != nullptr ? _fileno(stream) : -1;
    if (fd >= 0) source = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (source == INVALID_HANDLE_VALUE || source == nullptr) {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        return CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    }
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), source, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return INVALID_HANDLE_VALUE;
    }
    return copy;
}

void closeIfOpen(HANDLE& handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
}

std::string lastErrorText(const char* what) {
    return std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
}

}  // namespace

struct ChildProcess::Host {
    HANDLE process = nullptr;
    HANDLE job = nullptr;
    HANDLE answer = nullptr;
};

ChildProcess::ChildProcess() : host_(new Host) {}

ChildProcess::~ChildProcess() {
    if (host_->process != nullptr) {
        kill();
        wait();
    }
    closeIfOpen(host_->answer);
    closeIfOpen(host_->job);
}

bool ChildProcess::start(const ChildTask& task, std::string& error) {
    Host& host = *host_;
    const std::string folder = executableDirectory();
    const std::string exe = (folder.empty() ? std::string() : folder + "\\") + task.helper + ".exe";
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE answerWrite = nullptr;
    if (!CreatePipe(&host.answer, &answerWrite, &inherit, 0)) {
        error = lastErrorText("cannot make a pipe");
        return false;
    }
    SetHandleInformation(host.answer, HANDLE_FLAG_INHERIT, 0);  // the parent's end stays here
    std::fflush(nullptr);
    HANDLE handles[3] = {inheritableHandle(task.out), inheritableHandle(task.err), answerWrite};
    std::string commandLine = quoted(exe);
    for (const std::string& argument : task.arguments) commandLine += " " + quoted(argument);
    commandLine += " " + std::to_string(reinterpret_cast<uintptr_t>(answerWrite));

    // Only these three handles reach the child.
    SIZE_T listSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
    std::string listBytes(listSize, '\0');
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(&listBytes[0]);
    bool ok = handles[0] != INVALID_HANDLE_VALUE && handles[1] != INVALID_HANDLE_VALUE &&
              InitializeProcThreadAttributeList(list, 1, 0, &listSize) &&
              UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles, sizeof handles,
                                        nullptr, nullptr);
    STARTUPINFOEXA startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = nullptr;
    startup.StartupInfo.hStdOutput = handles[0];
    startup.StartupInfo.hStdError = handles[1];
    startup.lpAttributeList = list;
    PROCESS_INFORMATION started{};
    if (ok) {
        ok = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                            EXTENDED_STARTUPINFO_PRESENT | CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr,
                            nullptr, &startup.StartupInfo, &started);
        if (!ok) error = lastErrorText(("cannot start " + exe).c_str());
    } else {
        error = lastErrorText("cannot hand the child its handles");
    }
    DeleteProcThreadAttributeList(list);
    for (HANDLE& handle : handles) closeIfOpen(handle);
    if (!ok) return false;
    // Limits, then the first instruction.
    host.job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (task.limits.memoryBytes > 0) {
        limits.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
        limits.ProcessMemoryLimit = static_cast<SIZE_T>(task.limits.memoryBytes);
    }
    if (task.limits.cpuSeconds > 0) {
        limits.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_TIME;
        limits.BasicLimitInformation.PerProcessUserTimeLimit.QuadPart = task.limits.cpuSeconds * 10000000LL;
    }
    if (host.job == nullptr ||
        !SetInformationJobObject(host.job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(host.job, started.hProcess)) {
        error = lastErrorText("cannot limit the child");
        TerminateProcess(started.hProcess, 1);
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        return false;
    }
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    host.process = started.hProcess;
    return true;
}

std::size_t ChildProcess::read(void* data, std::size_t size) {
    Host& host = *host_;
    if (host.answer == nullptr) return 0;
    DWORD got = 0;
    const DWORD want = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    if (!ReadFile(host.answer, data, want, &got, nullptr) || got == 0) {
        closeIfOpen(host.answer);
        return 0;
    }
    return got;
}

void ChildProcess::kill() {
    if (host_->process != nullptr) TerminateProcess(host_->process, 1);
}

ChildEnd ChildProcess::wait() {
    Host& host = *host_;
    closeIfOpen(host.answer);
    ChildEnd end;
    DWORD code = 0;
    if (WaitForSingleObject(host.process, INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(host.process, &code)) {
        end.description = lastErrorText("lost");
    } else {
        end.exited = true;
        end.status = static_cast<int>(code);
        char text[48];
        // Exceptions end a process with their code (0xC0000005: an access violation).
        std::snprintf(text, sizeof text, code >= 0xC0000000u ? "exception 0x%08lX" : "exit status %lu",
                      static_cast<unsigned long>(code));
        end.description = text;
    }
    closeIfOpen(host.process);
    return end;
}

bool writeToParent(const ParentLink& link, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD put = 0;
        const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        if (!WriteFile(reinterpret_cast<HANDLE>(link.channel), bytes, chunk, &put, nullptr) || put == 0)
            return false;
        bytes += put;
        size -= put;
    }
    return true;
}

bool parentLinkFromArgument(const char* argument, ParentLink& link) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(argument, &end, 10);
    if (end == argument || *end != '\0' || value == 0) return false;
    link.channel = static_cast<intptr_t>(value);
    return true;
}

}  // namespace platform
