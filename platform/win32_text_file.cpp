// Whole-file text reading for Windows hosts: binary reads through
// TextModeDecoder (text_mode.cpp) rather than the C runtime's text mode, so
// both hosts translate exactly alike whatever the runtime version.
#include <io.h>

#include <cerrno>

#include "platform/file_input.h"
#include "platform/runtime.h"

namespace platform {

TextReadStatus readTextFile(const char* path, std::size_t maxTextBytes, std::string& text, int& errorNumber) {
    text.clear();
    errorNumber = 0;
    InputFileStatus openStatus = InputFileStatus::ok;
    const int fd = openRegularFileDescriptor(path, openStatus, errorNumber);
    if (fd < 0) return textReadStatusOf(openStatus);
    char chunk[64 * 1024];
    TextModeDecoder decoder;
    TextReadStatus status = TextReadStatus::ok;
    for (;;) {
        const int got = _read(fd, chunk, sizeof chunk);
        if (got < 0) {
            errorNumber = errno;
            status = TextReadStatus::readError;
            break;
        }
        if (got == 0) break;
        const bool goOn = decoder.append(chunk, static_cast<std::size_t>(got), text);
        if (text.size() > maxTextBytes) {
            status = TextReadStatus::tooLarge;
            break;
        }
        if (!goOn) break;
    }
    _close(fd);
    if (status == TextReadStatus::ok) decoder.finish(text);
    if (status == TextReadStatus::ok && text.size() > maxTextBytes) status = TextReadStatus::tooLarge;
    if (status != TextReadStatus::ok) {
        text.clear();
        text.shrink_to_fit();
    }
    return status;
}

}  // namespace platform
