// The text-mode translation of file bytes, the same on every host, and the
// descriptions of failed reads.
#include "platform/file_input.h"
#include "platform/runtime.h"

namespace platform {
namespace {

constexpr char kCtrlZ = 0x1A;

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

TextReadStatus textReadStatusOf(InputFileStatus openStatus) {
    switch (openStatus) {
    case InputFileStatus::directory:
        return TextReadStatus::directory;
    case InputFileStatus::notRegularFile:
        return TextReadStatus::notRegularFile;
    default:
        return TextReadStatus::cannotOpen;
    }
}

const char* describeTextReadStatus(TextReadStatus status) {
    switch (status) {
    case TextReadStatus::ok:
        return "read";
    case TextReadStatus::cannotOpen:
        return "cannot open";
    case TextReadStatus::directory:
        return describeInputFileStatus(InputFileStatus::directory);
    case TextReadStatus::notRegularFile:
        return describeInputFileStatus(InputFileStatus::notRegularFile);
    case TextReadStatus::readError:
        return "read error";
    case TextReadStatus::tooLarge:
        return "too large";
    }
    return "unknown error";
}

const char* describeInputFileStatus(InputFileStatus status) {
    switch (status) {
    case InputFileStatus::ok:
        return "opened";
    case InputFileStatus::cannotOpen:
        return "cannot open";
    case InputFileStatus::directory:
        return "is a directory";
    case InputFileStatus::notRegularFile:
        return "is not a regular file (a device or a pipe)";
    }
    return "cannot open";
}

}  // namespace platform
