#include "scan/tar_archive.h"

#include <cstdint>
#include <cstring>

namespace scan {
namespace {

constexpr std::size_t kBlock = 512;

// Header fields: offset and length inside the 512-byte block.
constexpr std::size_t kNameAt = 0, kNameLength = 100;
constexpr std::size_t kSizeAt = 124, kSizeLength = 12;
constexpr std::size_t kChecksumAt = 148, kChecksumLength = 8;
constexpr std::size_t kTypeAt = 156;
constexpr std::size_t kMagicAt = 257;
constexpr std::size_t kPrefixAt = 345, kPrefixLength = 155;

std::string field(const unsigned char* block, std::size_t at, std::size_t length) {
    const char* text = reinterpret_cast<const char*>(block + at);
    return std::string(text, strnlen(text, length));
}

// Octal digits, optionally padded with spaces or NULs; or, when the top bit
// of the first byte is set, a big-endian base-256 number.
bool parseNumber(const unsigned char* block, std::size_t at, std::size_t length, uint64_t& value) {
    const unsigned char* p = block + at;
    value = 0;
    if (p[0] & 0x80) {
        if (p[0] != 0x80) return false;  // negative or too large
        for (std::size_t i = 1; i < length; ++i) {
            if (value >> 55) return false;
            value = (value << 8) | p[i];
        }
        return true;
    }
    std::size_t i = 0;
    while (i < length && p[i] == ' ') ++i;
    bool digits = false;
    for (; i < length && p[i] >= '0' && p[i] <= '7'; ++i) {
        if (value >> 60) return false;
        value = value * 8 + (p[i] - '0');
        digits = true;
    }
    for (; i < length; ++i) {
        if (p[i] != ' ' && p[i] != '\0') return false;
    }
    return digits;
}

bool isZeroBlock(const unsigned char* block) {
    for (std::size_t i = 0; i < kBlock; ++i) {
        if (block[i] != 0) return false;
    }
    return true;
}

bool checksumMatches(const unsigned char* block) {
    uint64_t stored = 0;
    if (!parseNumber(block, kChecksumAt, kChecksumLength, stored)) return false;
    uint64_t sum = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        const bool inField = i >= kChecksumAt && i < kChecksumAt + kChecksumLength;
        sum += inField ? ' ' : block[i];
    }
    return sum == stored;
}

}  // namespace

bool listTarMembers(const unsigned char* data, std::size_t size, std::vector<TarMember>& out,
                    std::string& error) {
    out.clear();
    std::string longName;  // from a preceding GNU 'L' record
    std::size_t at = 0;
    while (at < size) {
        const std::string where = "tar header at byte " + std::to_string(at);
        if (size - at < kBlock) {
            error = "truncated archive: " + where + " is cut short";
            return false;
        }
        const unsigned char* block = data + at;
        if (isZeroBlock(block)) break;
        if (!checksumMatches(block)) {
            error = "not a tar archive or damaged: bad checksum in " + where;
            return false;
        }
        uint64_t memberSize = 0;
        if (!parseNumber(block, kSizeAt, kSizeLength, memberSize)) {
            error = "damaged archive: bad size field in " + where;
            return false;
        }
        const std::size_t content = at + kBlock;
        if (memberSize > size - content) {
            error = "truncated archive: member \"" + field(block, kNameAt, kNameLength) + "\" needs " +
                    std::to_string(memberSize) + " bytes, " + std::to_string(size - content) + " remain";
            return false;
        }
        const char type = static_cast<char>(block[kTypeAt]);
        std::string name = field(block, kNameAt, kNameLength);
        if (std::memcmp(block + kMagicAt, "ustar", 5) == 0) {
            const std::string prefix = field(block, kPrefixAt, kPrefixLength);
            if (!prefix.empty()) name = prefix + "/" + name;
        }
        if (type == 'L') {
            const char* text = reinterpret_cast<const char*>(data + content);
            longName.assign(text, strnlen(text, static_cast<std::size_t>(memberSize)));
        } else {
            if (!longName.empty()) name = longName;
            longName.clear();
            if (type == '0' || type == '\0' || type == '7') {
                out.push_back(TarMember{name, content, static_cast<std::size_t>(memberSize)});
            }
        }
        const std::size_t padded = (static_cast<std::size_t>(memberSize) + kBlock - 1) / kBlock * kBlock;
        // The last member's padding may be missing; that loses no content.
        at = padded > size - content ? size : content + padded;
    }
    return true;
}

std::string baseName(const std::string& name) {
    const std::size_t slash = name.find_last_of('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

const TarMember* findMemberByBaseName(const std::vector<TarMember>& members, const std::string& base,
                                      bool* ambiguous) {
    const TarMember* found = nullptr;
    if (ambiguous != nullptr) *ambiguous = false;
    for (const TarMember& member : members) {
        if (baseName(member.name) != base) continue;
        if (found != nullptr) {
            if (ambiguous != nullptr) *ambiguous = true;
            return nullptr;
        }
        found = &member;
    }
    return found;
}

}  // namespace scan
