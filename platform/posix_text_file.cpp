// Whole-file text reading for POSIX hosts. POSIX has no text mode, so the
// translation that the Windows runtime does in _read is done here.
#include "platform/runtime.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char kCtrlZ = 0x1A;

// Appends `count` raw bytes to `text` with text-mode translation. A CR at the
// end of a chunk is held in `pendingCR` until the next byte is known.
// Returns false once a Ctrl-Z ends the text.
bool appendTranslated(const char* raw, std::size_t count, bool& pendingCR, std::string& text) {
    for (std::size_t i = 0; i < count; ++i) {
        const char c = raw[i];
        if (pendingCR) {
            pendingCR = false;
            if (c != '\n') text.push_back('\r');
        }
        if (c == kCtrlZ) return false;
        if (c == '\r') {
            pendingCR = true;
            continue;
        }
        text.push_back(c);
    }
    return true;
}

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

TextReadStatus readTextFile(const char* path, std::size_t maxTextBytes, std::string& text,
                            int& errorNumber) {
    text.clear();
    errorNumber = 0;
    FileHandle file(open(path, O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        errorNumber = errno;
        return TextReadStatus::cannotOpen;
    }
    struct stat info {};
    if (fstat(file.get(), &info) != 0) {
        errorNumber = errno;
        return TextReadStatus::cannotOpen;
    }
    if (!S_ISREG(info.st_mode)) {
        // NOTE: a directory opens fine on POSIX and fails only at read(); a
        // device or pipe may never end. Only regular files are program texts.
        errorNumber = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return TextReadStatus::cannotOpen;
    }

    char chunk[64 * 1024];
    bool pendingCR = false;
    for (;;) {
        const ssize_t got = read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            errorNumber = errno;
            text.clear();
            return TextReadStatus::readError;
        }
        if (got == 0) break;
        const bool goOn = appendTranslated(chunk, static_cast<std::size_t>(got), pendingCR, text);
        if (text.size() > maxTextBytes) {
            text.clear();
            text.shrink_to_fit();
            return TextReadStatus::tooLarge;
        }
        if (!goOn) {
            pendingCR = false;
            break;
        }
    }
    if (pendingCR) text.push_back('\r');  // a lone CR at the very end stays
    if (text.size() > maxTextBytes) {
        text.clear();
        return TextReadStatus::tooLarge;
    }
    return TextReadStatus::ok;
}

const char* describeTextReadStatus(TextReadStatus status) {
    switch (status) {
        case TextReadStatus::ok: return "read";
        case TextReadStatus::cannotOpen: return "cannot open";
        case TextReadStatus::readError: return "read error";
        case TextReadStatus::tooLarge: return "too large";
    }
    return "unknown error";
}

}  // namespace platform
