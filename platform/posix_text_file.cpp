// Whole-file text reading for POSIX hosts. POSIX has no text mode, so the
// translation that the Windows runtime does in _read is done here.
#include "platform/runtime.h"

#include "platform/file_input.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char kCtrlZ = 0x1A;

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

bool TextModeDecoder::append(const char* raw, std::size_t count, std::string& text) {
    if (ended_) return false;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = raw[i];
        if (pendingCR_) {
            pendingCR_ = false;
            if (c != '\n') text.push_back('\r');
        }
        if (c == kCtrlZ) {
            ended_ = true;
            return false;
        }
        if (c == '\r') {
            pendingCR_ = true;
            continue;
        }
        text.push_back(c);
    }
    return true;
}

void TextModeDecoder::finish(std::string& text) {
    if (pendingCR_) text.push_back('\r');  // a lone CR at the very end stays
    pendingCR_ = false;
}

std::string translateTextMode(const char* raw, std::size_t count) {
    std::string text;
    TextModeDecoder decoder;
    decoder.append(raw, count, text);
    decoder.finish(text);
    return text;
}

TextReadStatus readTextFile(const char* path, std::size_t maxTextBytes, std::string& text,
                            int& errorNumber) {
    text.clear();
    errorNumber = 0;
    InputFileStatus openStatus = InputFileStatus::ok;
    FileHandle file(openRegularFileDescriptor(path, openStatus, errorNumber));
    if (file.get() < 0) {
        switch (openStatus) {
            case InputFileStatus::directory: return TextReadStatus::directory;
            case InputFileStatus::notRegularFile: return TextReadStatus::notRegularFile;
            default: return TextReadStatus::cannotOpen;
        }
    }

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

const char* describeTextReadStatus(TextReadStatus status) {
    switch (status) {
        case TextReadStatus::ok: return "read";
        case TextReadStatus::cannotOpen: return "cannot open";
        case TextReadStatus::directory: return describeInputFileStatus(InputFileStatus::directory);
        case TextReadStatus::notRegularFile:
            return describeInputFileStatus(InputFileStatus::notRegularFile);
        case TextReadStatus::readError: return "read error";
        case TextReadStatus::tooLarge: return "too large";
    }
    return "unknown error";
}

}  // namespace platform
