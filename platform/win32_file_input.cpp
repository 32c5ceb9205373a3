// Opening regular files for reading, for Windows hosts. The handle is checked
// with GetFileType before the C runtime gets it: devices (NUL, CON, COM1)
// and pipes are refused, and folders cannot be opened as files at all.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

#include "platform/file_input.h"

namespace platform {
namespace {

int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    default:
        return EIO;
    }
}

}  // namespace

int openRegularFileDescriptor(const char* path, InputFileStatus& status, int& errorNumber) {
    status = InputFileStatus::ok;
    errorNumber = 0;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        status = InputFileStatus::directory;
        return -1;
    }
    HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errorNumber = errnoOf(GetLastError());
        status = InputFileStatus::cannotOpen;
        return -1;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        status = InputFileStatus::notRegularFile;
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        errorNumber = EMFILE;
        status = InputFileStatus::cannotOpen;
    }
    return fd;
}

std::FILE* openRegularFile(const char* path, InputFileStatus& status, int& errorNumber) {
    const int fd = openRegularFileDescriptor(path, status, errorNumber);
    if (fd < 0) return nullptr;
    std::FILE* file = _fdopen(fd, "rb");
    if (file == nullptr) {
        errorNumber = errno;
        status = InputFileStatus::cannotOpen;
        _close(fd);
    }
    return file;
}

}  // namespace platform
