// Program texts of any content: CR LF pairs, lone CRs, Ctrl-Z, NUL bytes and
// sizes at the shared buffer's limit. The reader must agree with a plain
// statement of the text-mode rules, whatever the read chunks are.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/runtime.h"
#include "support/program_text.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

using support::ProgramText;

// The rules said plainly: the text ends at the first Ctrl-Z, then each CR LF
// pair, left to right, becomes LF.
std::string expectedText(const std::string& raw) {
    const std::string kept = raw.substr(0, raw.find('\x1A'));
    std::string text;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i] == '\r' && i + 1 < kept.size() && kept[i + 1] == '\n') continue;
        text.push_back(kept[i]);
    }
    return text;
}

void checkReader(const fuzzing::ScratchFile& scratch, const std::string& raw) {
    const std::string expected = expectedText(raw);
    ProgramText reader;
    const bool loaded = reader.load(scratch.write(raw.data(), raw.size()).c_str());
    if (expected.size() > ProgramText::kSharedBufferSize - 1) {
        FUZZ_CHECK(!loaded && !reader.hasText());
        FUZZ_CHECK(reader.errorMessage().find("too large") != std::string::npos);
        FUZZ_CHECK(*reader.text() == '\0');
        return;
    }
    FUZZ_CHECK(loaded && reader.errorMessage().empty());
    FUZZ_CHECK(reader.length() == expected.size());
    const char* text = reader.text();
    FUZZ_CHECK(text == ProgramText::sharedBuffer());
    FUZZ_CHECK(std::memcmp(text, expected.data(), expected.size()) == 0 && text[expected.size()] == '\0');
    // What the driver is given ends at the first NUL.
    FUZZ_CHECK(std::strlen(text) == std::min(expected.size(), expected.find('\0')));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const fuzzing::ScratchFile scratch(".txt");
    if (size < 2) return 0;
    const unsigned control = data[0];
    const std::string raw(reinterpret_cast<const char*>(data + 1), size - 1);

    // In memory: the whole buffer at once and in chunks of 1 to 16 bytes.
    const std::string expected = expectedText(raw);
    FUZZ_CHECK(platform::translateTextMode(raw.data(), raw.size()) == expected);
    platform::TextModeDecoder decoder;
    std::string chunked;
    const std::size_t step = 1 + control % 16;
    for (std::size_t at = 0; at < raw.size(); at += step) {
        decoder.append(raw.data() + at, std::min(step, raw.size() - at), chunked);
    }
    decoder.finish(chunked);
    FUZZ_CHECK(chunked == expected);

    // Through a file, as the viewer reads it.
    checkReader(scratch, raw);
    // The size limit, scaled down: the control byte is the limit.
    std::string text;
    int errorNumber = 0;
    const platform::TextReadStatus status =
        platform::readTextFile(scratch.path().c_str(), control, text, errorNumber);
    if (expected.size() > control) {
        FUZZ_CHECK(status == platform::TextReadStatus::tooLarge && text.empty());
    } else {
        FUZZ_CHECK(status == platform::TextReadStatus::ok && text == expected);
    }
    // The real limit of the shared buffer: a pattern of one or two bytes
    // repeated until its text is just around the limit, where a CR LF pair
    // or a Ctrl-Z decides whether it fits. Short patterns only: a megabyte a
    // run is slow.
    const std::size_t patternText = expected.size();
    if (control >= 0xF0 && raw.size() <= 2 && patternText > 0 && raw.find('\x1A') == std::string::npos) {
        const std::size_t wanted = ProgramText::kSharedBufferSize - 8 + (control & 0x0F);
        std::string big;
        big.reserve(wanted * 2 + 2);
        for (std::size_t reps = (wanted + patternText - 1) / patternText; reps > 0; --reps) big += raw;
        checkReader(scratch, big);
    }
    return 0;
}
