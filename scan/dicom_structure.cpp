#include "scan/dicom_structure.h"

#include <cstdint>
#include <cstdio>
#include <fstream>

namespace scan {
namespace {

constexpr uint32_t kUndefinedLength = 0xffffffffu;
constexpr uint32_t kTransferSyntax = 0x00020010u;
constexpr uint32_t kPixelData = 0x7fe00010u;
constexpr uint32_t kItem = 0xfffee000u;
constexpr uint32_t kItemEnd = 0xfffee00du;
constexpr uint32_t kSequenceEnd = 0xfffee0ddu;
constexpr int kMaxDepth = 16;  // sequences within sequences; real files nest a few

std::string tagText(uint32_t tag) {
    char text[16];
    std::snprintf(text, sizeof text, "(%04x,%04x)", static_cast<unsigned>(tag >> 16),
                  static_cast<unsigned>(tag & 0xffff));
    return text;
}

// The value representations, those whose length takes four bytes after two
// reserved ones first. GDCM stops the process on any other.
const char* const kRepresentations[] = {
    "OB", "OD", "OF", "OL", "OV", "OW", "SQ", "SV", "UC", "UN", "UR", "UT", "UV", "AE", "AS", "AT", "CS",
    "DA", "DS", "DT", "FL", "FD", "IS", "LO", "LT", "PN", "SH", "SL", "SS", "ST", "TM", "UI", "UL", "US"};
constexpr int kLongForms = 13;

// The index of `vr` in kRepresentations; -1 when it is none.
int representation(const char vr[2]) {
    for (int i = 0; i < static_cast<int>(sizeof kRepresentations / sizeof kRepresentations[0]); ++i) {
        if (vr[0] == kRepresentations[i][0] && vr[1] == kRepresentations[i][1]) return i;
    }
    return -1;
}

struct Element {
    uint32_t tag = 0;
    char vr[2] = {0, 0};  // empty for implicit syntaxes and item tags
    uint32_t length = 0;
    uint64_t value = 0;  // where the value starts
};

class Walker {
public:
    Walker(std::ifstream& in, uint64_t size) : in_(in), size_(size) {}

    bool walk(bool throughPixelData, std::string& why) {
        uint64_t at = 0;
        char magic[4] = {};
        const bool meta = read(128, size_, magic, 4) && std::string(magic, 4) == "DICM";
        if (meta) at = 132;
        // GDCM guesses the byte order and the meta information's syntax from
        // the first group; only the little endian group it should be is taken.
        Element first;
        const int group = peek(at, first) ? static_cast<int>(first.tag >> 16) : -1;
        if (group != (meta ? 0x0002 : 0x0008)) {
            why = meta ? "its meta information does not start with group 0002"
                       : "no DICOM file: neither a preamble nor group 0008 first";
            return false;
        }
        if (meta && !metaGroup(at)) return fail(why);
        if (at >= size_) {
            why = "the file holds no data set";
            return false;
        }
        if (guessSyntax_ && !guessSyntax(at)) return fail(why);
        throughPixelData_ = throughPixelData;
        return dataSet(at, size_, 0, 0) || fail(why);
    }

private:
    bool fail(std::string& why) {
        why = why_;
        return false;
    }

    bool read(uint64_t at, uint64_t end, void* out, std::size_t n) {
        if (at + n > end) return false;
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(at));
        return static_cast<bool>(in_.read(static_cast<char*>(out), static_cast<std::streamsize>(n)));
    }

    uint32_t number(const unsigned char* p, int bytes) const {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[little_ ? i : bytes - 1 - i]) << (8 * i);
        return v;
    }

    // The file meta group: explicit little endian, naming the data set's syntax.
    bool metaGroup(uint64_t& at) {
        std::string syntax;
        Element e;
        while (peek(at, e) && e.tag >> 16 == 0x0002) {
            if (!header(at, size_, e)) return false;
            // GDCM reads the meta information plainly: no sequences there.
            if (e.length == kUndefinedLength || std::string(e.vr, 2) == "SQ" ||
                std::string(e.vr, 2) == "UN") {
                why_ = "its meta information holds a sequence, element " + tagText(e.tag);
                return false;
            }
            if (!element(e, size_, 0, at)) return false;
            if (e.tag == kTransferSyntax && e.length <= 64) {
                syntax.resize(e.length);
                read(e.value, size_, &syntax[0], e.length);
                while (!syntax.empty() && (syntax.back() == '\0' || syntax.back() == ' ')) syntax.pop_back();
            }
        }
        guessSyntax_ = syntax.empty();
        if (syntax == "1.2.840.10008.1.2.1.99") {
            why_ = "its data set is deflated, which is not read";
            return false;
        }
        explicitVr_ = syntax != "1.2.840.10008.1.2";
        little_ = syntax != "1.2.840.10008.1.2.2";
        return true;
    }

    // Without a stated syntax: explicit when the first element names a
    // value representation, little endian.
    bool guessSyntax(uint64_t at) {
        unsigned char b[6];
        if (!read(at, size_, b, 6)) {
            why_ = "the file is too short for a DICOM data set";
            return false;
        }
        explicitVr_ = b[4] >= 'A' && b[4] <= 'Z' && b[5] >= 'A' && b[5] <= 'Z';
        return true;
    }

    bool peek(uint64_t at, Element& e) {
        unsigned char b[4];
        if (!read(at, size_, b, 4)) return false;
        e.tag = number(b, 2) << 16 | number(b + 2, 2);
        return true;
    }

    bool header(uint64_t at, uint64_t end, Element& e) {
        unsigned char b[12];
        if (!read(at, end, b, 8)) {
            why_ = at + 8 > size_ ? "the file ends inside an element's header"
                                  : "an element's header runs past the end of its item";
            return false;
        }
        e.tag = number(b, 2) << 16 | number(b + 2, 2);
        e.vr[0] = e.vr[1] = 0;
        e.value = at + 8;
        if (e.tag >> 16 == 0xfffe || !explicitVr_) {
            e.length = number(b + 4, 4);
            return true;
        }
        e.vr[0] = static_cast<char>(b[4]);
        e.vr[1] = static_cast<char>(b[5]);
        const int vr = representation(e.vr);
        if (vr < 0) {
            why_ = "element " + tagText(e.tag) + " has no valid value representation";
            return false;
        }
        if (vr >= kLongForms) {
            e.length = number(b + 6, 2);
            return true;
        }
        if (!read(at, end, b, 12)) {
            why_ = "the file ends inside the header of element " + tagText(e.tag);
            return false;
        }
        e.length = number(b + 8, 4);
        e.value = at + 12;
        return true;
    }

    bool delimiterEmpty(const Element& e) {
        if (e.length != 0) why_ = "the delimiter " + tagText(e.tag) + " has a length";
        return e.length == 0;
    }

    // Elements from `at` up to `end`, or up to the delimiter `stop`.
    bool dataSet(uint64_t& at, uint64_t end, uint32_t stop, int depth) {
        while (stop != 0 || at < end) {
            Element e;
            if (!header(at, end, e)) return false;
            if (stop != 0 && e.tag == stop) {
                at = e.value;
                return delimiterEmpty(e);
            }
            if (e.tag >> 16 == 0xfffe) {
                why_ = "an item delimiter " + tagText(e.tag) + " where an element should be";
                return false;
            }
            // The header pass leaves the pixel data's value unread. Elements
            // out of order before it are read, so they are checked too.
            if (depth == 0 && !throughPixelData_ && e.tag == kPixelData) return true;
            if (!element(e, end, depth, at)) return false;
        }
        return true;
    }

    // Checks one element's value and sets `next` past it.
    bool element(const Element& e, uint64_t end, int depth, uint64_t& next) {
        if (e.vr[0] != 'U' || e.vr[1] != 'N') return value(e, end, depth, next);
        // The value of an element of unknown representation is implicit little endian.
        const bool wasExplicit = explicitVr_, wasLittle = little_;
        explicitVr_ = false;
        little_ = true;
        const bool ok = value(e, end, depth, next);
        explicitVr_ = wasExplicit;
        little_ = wasLittle;
        return ok;
    }

    bool value(const Element& e, uint64_t end, int depth, uint64_t& next) {
        const bool sequence = (e.vr[0] == 'S' && e.vr[1] == 'Q') || !explicitVr_;
        if (e.length == kUndefinedLength) {
            if (e.tag == kPixelData && depth == 0) {
                const std::string vr(e.vr, 2);
                if (e.vr[0] != 0 && vr != "OB" && vr != "OW" && vr != "UN") {
                    why_ = "its encapsulated pixel data is stated as " + vr;
                    return false;
                }
                return items(e.value, end, false, true, depth, next);
            }
            if (!sequence) {
                why_ = "element " + tagText(e.tag) + " has an undefined length";
                return false;
            }
            return items(e.value, end, false, false, depth, next);
        }
        if (e.value + e.length > end) {
            why_ = e.tag == kPixelData ? "its pixel data is cut short"
                   : end == size_      ? "the file ends inside element " + tagText(e.tag)
                                       : "element " + tagText(e.tag) + " runs past the end of its item";
            return false;
        }
        // GDCM reads a stated sequence as items whatever it holds, and an
        // implicit value as one when it starts with an item tag.
        Element first;
        const bool stated = e.vr[0] == 'S' && e.vr[1] == 'Q';
        if (stated || (sequence && e.length >= 8 && peek(e.value, first) && first.tag >> 16 == 0xfffe)) {
            return items(e.value, e.value + e.length, true, false, depth, next);
        }
        next = e.value + e.length;
        return true;
    }

    // The items of a sequence (or the fragments of encapsulated pixel data)
    // from `at`: up to `end` when `defined`, else up to the sequence delimiter.
    bool items(uint64_t at, uint64_t end, bool defined, bool fragments, int depth, uint64_t& next) {
        if (depth >= kMaxDepth) {
            why_ = "sequences nested more than " + std::to_string(kMaxDepth) + " deep";
            return false;
        }
        while (!defined || at < end) {
            Element e;
            if (!header(at, end, e)) return false;
            if (!defined && e.tag == kSequenceEnd) {
                next = e.value;
                return delimiterEmpty(e);
            }
            if (e.tag != kItem) {
                why_ = "a sequence holds " + tagText(e.tag) + " where an item should be";
                return false;
            }
            if (e.length == kUndefinedLength && !fragments) {
                at = e.value;
                if (!dataSet(at, end, kItemEnd, depth + 1)) return false;
                continue;
            }
            if (e.length == kUndefinedLength || e.value + e.length > end) {
                why_ = fragments ? "its pixel data is cut short" : "a sequence item runs past its end";
                return false;
            }
            uint64_t inner = e.value;
            if (!fragments && !dataSet(inner, e.value + e.length, 0, depth + 1)) return false;
            at = e.value + e.length;
        }
        next = at;
        return true;
    }

    std::ifstream& in_;
    uint64_t size_;
    bool little_ = true, explicitVr_ = true, guessSyntax_ = true, throughPixelData_ = false;
    std::string why_;
};

}  // namespace

bool checkDicomStructure(const std::string& path, bool throughPixelData, std::string& why) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        why = "cannot be opened";
        return false;
    }
    const std::streamoff size = in.tellg();
    Walker walker(in, size > 0 ? static_cast<uint64_t>(size) : 0);
    return walker.walk(throughPixelData, why);
}

}  // namespace scan
