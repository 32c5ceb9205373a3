// Host runtime services used by the support and volume code: the wall clock
// and whole-file reading in the C runtime's text mode. One implementation per
// host (posix_*.cpp here), chosen by the build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Wall-clock time since 1970-01-01 UTC, split like the C runtime's _ftime.
struct WallClockReading {
    int64_t seconds = 0;
    int milliseconds = 0;  // 0 to 999
};

WallClockReading readWallClock();

enum class TextReadStatus {
    ok,
    cannotOpen,   // missing, unreadable or not a regular file
    readError,    // opened, but reading failed part-way
    tooLarge,     // the text is longer than the caller's limit
};

// Reads the named file whole, as text mode delivers it: each CR LF pair
// becomes one LF and a Ctrl-Z byte (0x1A) ends the text. At most maxTextBytes
// of text are accepted; a longer text fails with tooLarge and leaves `text`
// empty. On failure `text` is empty and `errorNumber` holds the errno value
// when there is one (0 otherwise).
TextReadStatus readTextFile(const char* path, std::size_t maxTextBytes, std::string& text,
                            int& errorNumber);

// A short description of a failed read, for messages ("cannot open", ...).
const char* describeTextReadStatus(TextReadStatus status);

}  // namespace platform

namespace platform {

// Peak resident memory of this process so far, in bytes (0 when unknown).
std::size_t peakResidentBytes();

}  // namespace platform
