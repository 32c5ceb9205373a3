// Reads a whole program text file and hands it out as a NUL-terminated
// string. One reader holds one file's text at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace support {

class ProgramText {
public:
    ProgramText() = default;
    ProgramText(const ProgramText&) = delete;
    ProgramText& operator=(const ProgramText&) = delete;
    virtual ~ProgramText();

    // Replaces the held text with the named file's, read in text mode.
    // Returns false, and holds no text, when the file cannot be read or its
    // text does not fit the shared buffer; errorMessage() then says why.
    bool load(const char* fileName);

    // Copies the held text plus a NUL into `destination`, or into the shared
    // buffer when it is null, and returns where it wrote. A caller's own
    // destination must hold length() + 1 bytes. With no text held the result
    // is an empty string.
    char* text(char* destination = nullptr) const;

    bool hasText() const { return lastIndex_ >= -1; }
    std::size_t length() const { return hasText() ? static_cast<std::size_t>(lastIndex_ + 1) : 0; }
    // Why the last load failed, naming the file ("" after a successful load).
    const std::string& errorMessage() const { return errorMessage_; }

    // The shared destination of text(nullptr): 1 MiB, so a text holds at
    // most kSharedBufferSize - 1 bytes.
    static constexpr std::size_t kSharedBufferSize = 1024 * 1024;
    static const char* sharedBuffer() { return sharedTextBuffer_; }

private:
    void release();

    int32_t lastIndex_ = -2;  // text length - 1; -1 empty, -2 no text held
    char* buffer_ = nullptr;
    bool ownsBuffer_ = false;
    std::string errorMessage_;

    static char sharedTextBuffer_[kSharedBufferSize];
};

}  // namespace support
