// Files written whole and atomically, for POSIX hosts.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_output.h"

namespace platform {
namespace {

std::string reason(const char* what, int error) {
    return std::string(what) + " (" + std::strerror(error) + ")";
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(int fd, const unsigned char* data, std::size_t size, std::string& error) {
    while (size > 0) {
        const ssize_t wrote = ::write(fd, data, size);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            error = reason("cannot write", errno);
            return false;
        }
        data += wrote;
        size -= static_cast<std::size_t>(wrote);
    }
    return true;
}

// Moves `temp` to `path` unless `path` exists. A hard link fails when the
// target exists, atomically; file systems without hard links fall back to a
// check followed by rename.
bool placeWithoutOverwrite(const std::string& temp, const std::string& path, std::string& error) {
    if (::link(temp.c_str(), path.c_str()) == 0) {
        ::unlink(temp.c_str());
        return true;
    }
    const int linkError = errno;
    if (linkError == EEXIST) {
        error = "already exists";
        return false;
    }
    if (linkError != EPERM && linkError != ENOTSUP && linkError != EXDEV && linkError != EMLINK) {
        error = reason("cannot create", linkError);
        return false;
    }
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0) {
        error = "already exists";
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = reason("cannot create", errno);
        return false;
    }
    return true;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size, bool overwrite,
                         std::string& error) {
    struct stat info;
    if (!overwrite && ::lstat(path.c_str(), &info) == 0) {
        error = "already exists";
        return false;
    }
    if (overwrite && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = "is a directory";
        return false;
    }
    // The temporary name stays short so that it is valid whenever `path` is.
    const std::string pattern = directoryOf(path) + "/." + baseOf(path).substr(0, 64) + ".tmpXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = reason("cannot create a temporary file in its directory", errno);
        return false;
    }
    const std::string temp(name.data());

    // mkstemp makes the file private; give it the permissions a new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = true;
    if (::fchmod(fd, 0666 & ~mask) != 0) {
        error = reason("cannot set permissions", errno);
        ok = false;
    }
    ok = ok && writeAll(fd, static_cast<const unsigned char*>(data), size, error);
    if (ok && ::fsync(fd) != 0) {
        error = reason("cannot flush to disk", errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = reason("cannot write", errno);
        ok = false;
    }
    if (ok) {
        if (overwrite) {
            if (::rename(temp.c_str(), path.c_str()) != 0) {
                error = reason("cannot replace", errno);
                ok = false;
            }
        } else {
            ok = placeWithoutOverwrite(temp, path, error);
        }
    }
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

bool pathExists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace platform
