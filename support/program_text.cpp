#include "support/program_text.h"

#include <cstring>
#include <new>

#include "platform/runtime.h"

namespace support {

char ProgramText::sharedTextBuffer_[ProgramText::kSharedBufferSize];

ProgramText::~ProgramText() { release(); }

void ProgramText::release() {
    if (buffer_ != nullptr && ownsBuffer_) delete[] buffer_;
    buffer_ = nullptr;
    ownsBuffer_ = false;
    lastIndex_ = -2;
}

bool ProgramText::load(const char* fileName) {
    release();
    errorMessage_.clear();

    std::string contents;
    int errorNumber = 0;
    // The shared buffer keeps its last byte for the terminator.
    const platform::TextReadStatus status =
        platform::readTextFile(fileName, kSharedBufferSize - 1, contents, errorNumber);
    if (status != platform::TextReadStatus::ok) {
        errorMessage_ = std::string(fileName) + ": " + platform::describeTextReadStatus(status);
        if (status == platform::TextReadStatus::tooLarge) {
            errorMessage_ += " (more than " + std::to_string(kSharedBufferSize - 1) + " bytes of text)";
        } else if (errorNumber != 0) {
            errorMessage_ += std::string(" (") + std::strerror(errorNumber) + ")";
        }
        return false;
    }

    buffer_ = new (std::nothrow) char[contents.size() + 1];
    if (buffer_ == nullptr) {
        errorMessage_ = std::string(fileName) + ": out of memory";
        return false;
    }
    std::memcpy(buffer_, contents.data(), contents.size());
    ownsBuffer_ = true;
    lastIndex_ = static_cast<int32_t>(contents.size()) - 1;
    return true;
}

char* ProgramText::text(char* destination) const {
    if (destination == nullptr) destination = sharedTextBuffer_;
    const std::size_t count = length();
    if (count > 0) std::memcpy(destination, buffer_, count);
    destination[count] = '\0';
    return destination;
}

}  // namespace support
