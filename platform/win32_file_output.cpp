// Files written whole and atomically, for Windows hosts: a temporary file in
// the target's folder, flushed, then moved into place with MoveFileEx, which
// refuses an existing target unless replacing was asked for.
#include <windows.h>

#include <cstdio>

#include "platform/file_output.h"

namespace platform {
namespace {

std::string reason(const char* what, DWORD error) {
    char text[256] = "";
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    if (message.empty()) message = "Windows error " + std::to_string(error);
    return std::string(what) + " (" + message + ")";
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash == 0 ? 1 : slash);
}

std::string baseOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates a new, empty temporary file beside `path`; INVALID_HANDLE_VALUE
// when none can be made.
HANDLE createTemporary(const std::string& path, std::string& temp, DWORD& error) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, ".tmp%lu-%u", GetCurrentProcessId(), ++counter);
        temp = directoryOf(path) + "\\." + baseOf(path).substr(0, 64) + suffix;
        HANDLE file =
            CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        error = GetLastError();
        if (file != INVALID_HANDLE_VALUE || error != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE file, const unsigned char* data, std::size_t size, std::string& error) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD wrote = 0;
        if (!WriteFile(file, data, chunk, &wrote, nullptr)) {
            error = reason("cannot write", GetLastError());
            return false;
        }
        data += wrote;
        size -= wrote;
    }
    return true;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size, bool overwrite,
                         std::string& error) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (!overwrite && attributes != INVALID_FILE_ATTRIBUTES) {
        error = "already exists";
        return false;
    }
    if (overwrite && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = "is a directory";
        return false;
    }
    std::string temp;
    DWORD createError = 0;
    HANDLE file = createTemporary(path, temp, createError);
    if (file == INVALID_HANDLE_VALUE) {
        error = reason("cannot create a temporary file in its directory", createError);
        return false;
    }
    bool ok = writeAll(file, static_cast<const unsigned char*>(data), size, error);
    if (ok && !FlushFileBuffers(file)) {
        error = reason("cannot flush to disk", GetLastError());
        ok = false;
    }
    CloseHandle(file);
    if (ok) {
        const DWORD flags = MOVEFILE_WRITE_THROUGH | (overwrite ? MOVEFILE_REPLACE_EXISTING : 0);
        if (!MoveFileExA(temp.c_str(), path.c_str(), flags)) {
            const DWORD moveError = GetLastError();
            error = moveError == ERROR_ALREADY_EXISTS || moveError == ERROR_FILE_EXISTS
                        ? "already exists"
                        : reason(overwrite ? "cannot replace" : "cannot create", moveError);
            ok = false;
        }
    }
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
}

bool pathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool sameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::string* paths[] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        HANDLE file =
            CreateFileA(paths[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const BOOL got = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!got) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

}  // namespace platform
