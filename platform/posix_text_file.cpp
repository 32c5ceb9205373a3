// Whole-file text reading for POSIX hosts. POSIX has no text mode, so the
// bytes go through TextModeDecoder (text_mode.cpp).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_input.h"
#include "platform/runtime.h"

namespace platform {
namespace {

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

TextReadStatus readTextFile(const char* path, std::size_t maxTextBytes, std::string& text, int& errorNumber) {
    text.clear();
    errorNumber = 0;
    InputFileStatus openStatus = InputFileStatus::ok;
    FileHandle file(openRegularFileDescriptor(path, openStatus, errorNumber));
    if (file.get() < 0) return textReadStatusOf(openStatus);

    char chunk[64 * 1024];
    TextModeDecoder decoder;
    for (;;) {
        const ssize_t got = read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            errorNumber = errno;
            text.clear();
            return TextReadStatus::readError;
        }
        if (got == 0) break;
        const bool goOn = decoder.append(chunk, static_cast<std::size_t>(got), text);
        if (text.size() > maxTextBytes) {
            text.clear();
            text.shrink_to_fit();
            return TextReadStatus::tooLarge;
        }
        if (!goOn) break;
    }
    decoder.finish(text);
    if (text.size() > maxTextBytes) {
        text.clear();
        return TextReadStatus::tooLarge;
    }
    return TextReadStatus::ok;
}

}  // namespace platform
