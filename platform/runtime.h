// Host runtime services used by the support and volume code: the frame clock
// and whole-file reading in the C runtime's text mode. One implementation per
// host (posix_*.cpp here), chosen by the build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A reading of a clock that only moves forward (its origin is arbitrary, e.g.
// the host's boot), split into whole seconds and milliseconds.
struct ClockReading {
    int64_t seconds = 0;
    int milliseconds = 0;  // 0 to 999
};

ClockReading readFrameClock();

enum class TextReadStatus {
    ok,
    cannotOpen,      // missing or unreadable
    directory,       // a folder, not a file
    notRegularFile,  // a device, a pipe or a socket: never read
    readError,       // opened, but reading failed part-way
    tooLarge,        // the text is longer than the caller's limit
};

// The text-mode translation of raw file bytes, fed in chunks of any size:
// each CR LF pair becomes one LF, a lone CR stays, and a Ctrl-Z byte (0x1A)
// ends the text. The result does not depend on where the chunks split.
class TextModeDecoder {
public:
    // Appends the translation of `count` raw bytes to `text`. Returns false
    // once a Ctrl-Z has ended the text; bytes given after that are ignored.
    bool append(const char* raw, std::size_t count, std::string& text);
    // Ends the input: a CR held back at the end of the last chunk is kept.
    void finish(std::string& text);

private:
    bool pendingCR_ = false;
    bool ended_ = false;
};

// The whole translation of one buffer.
std::string translateTextMode(const char* raw, std::size_t count);

enum class InputFileStatus;
// What a text read reports when opening the file failed with `openStatus`.
TextReadStatus textReadStatusOf(InputFileStatus openStatus);

// Reads the named file whole, as text mode delivers it: each CR LF pair
// becomes one LF and a Ctrl-Z byte (0x1A) ends the text. At most maxTextBytes
// of text are accepted; a longer text fails with tooLarge and leaves `text`
// empty. On failure `text` is empty and `errorNumber` holds the errno value
// when there is one (0 otherwise).
TextReadStatus readTextFile(const char* path, std::size_t maxTextBytes, std::string& text, int& errorNumber);

// A short description of a failed read, for messages ("cannot open", ...).
const char* describeTextReadStatus(TextReadStatus status);

}  // namespace platform

namespace platform {

// Peak resident memory of this process so far, in bytes (0 when unknown).
std::size_t peakResidentBytes();

// Resident memory of this process now, in bytes (0 when unknown).
std::size_t residentBytes();

// Memory the host can still give this process without swapping, in bytes
// (0 when unknown).
std::size_t availableMemoryBytes();

// Hands freed heap pages back to the host, so that memory dropped after
// start-up stops counting as resident.
void releaseFreeMemory();

// Gives every block of 1 MiB or more a mapping of its own, handed back to the
// host as soon as it is freed, for the whole run. Call once, at the start.
void mapLargeBlocksApart();

// Starts this program again with `argv` so that its large blocks, and its
// children's, come in huge pages where the host gives those only on request.
// On a host where each fresh page costs a fault (a virtual machine above all),
// a large grid's textures and import buffers are hundreds of thousands of
// faults. Returns, having done nothing, where huge pages cannot be asked for
// that way or already are. Call at the very start, before any output.
void restartWithHugePages(char** argv);

}  // namespace platform
