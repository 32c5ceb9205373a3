// Opening regular files for reading, for POSIX hosts.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_input.h"

namespace platform {

int openRegularFileDescriptor(const char* path, InputFileStatus& status, int& errorNumber) {
    status = InputFileStatus::ok;
    errorNumber = 0;
    // O_NONBLOCK: opening a pipe must not wait for a writer. It is cleared
    // again for the regular files that are kept.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        errorNumber = errno;
        status = InputFileStatus::cannotOpen;
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        errorNumber = errno;
        status = InputFileStatus::cannotOpen;
    } else if (S_ISDIR(info.st_mode)) {
        status = InputFileStatus::directory;
    } else if (!S_ISREG(info.st_mode)) {
        status = InputFileStatus::notRegularFile;
    } else {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) return fd;
        errorNumber = errno;
        status = InputFileStatus::cannotOpen;
    }
    ::close(fd);
    return -1;
}

std::FILE* openRegularFile(const char* path, InputFileStatus& status, int& errorNumber) {
    const int fd = openRegularFileDescriptor(path, status, errorNumber);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        errorNumber = errno;
        status = InputFileStatus::cannotOpen;
        ::close(fd);
    }
    return file;
}

}  // namespace platform
