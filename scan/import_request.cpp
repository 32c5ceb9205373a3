#include "scan/import_request.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace scan {
namespace {

const char kDigits[] = "0123456789abcdef";

std::string hex(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        text.push_back(kDigits[c >> 4]);
        text.push_back(kDigits[c & 15]);
    }
    return text;
}

bool unhex(const std::string& text, std::string& bytes) {
    if (text.size() % 2 != 0) return false;
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = text.substr(i, 2);
        const long value = std::strtol(pair.c_str(), &end, 16);
        if (end != pair.c_str() + 2) return false;
        bytes.push_back(static_cast<char>(value));
    }
    return true;
}

}  // namespace

std::string encodeRequest(const ImportRequest& request) {
    const Options& o = request.options;
    std::ostringstream fields;
    fields.precision(17);
    // One field a line; the two free texts last, the path on a line of its own.
    fields << static_cast<int>(o.input) << '\n'
           << request.fitEdge << '\n'
           << o.offsetGiven << ' ' << o.offset << '\n'
           << o.rangeGiven << ' ' << o.range[0] << ' ' << o.range[1] << '\n'
           << o.volume << ' ' << o.full << ' ' << o.flipZ << ' ' << o.list << ' ' << o.keepSamples << '\n'
           << o.series << '\n'
           << o.inputPath;
    return hex(fields.str());
}

bool decodeRequest(const std::string& text, ImportRequest& request) {
    std::string bytes;
    if (!unhex(text, bytes)) return false;
    std::istringstream fields(bytes);
    Options& o = request.options;
    int input = 0;
    fields >> input >> request.fitEdge >> o.offsetGiven >> o.offset >> o.rangeGiven >> o.range[0] >>
        o.range[1] >> o.volume >> o.full >> o.flipZ >> o.list >> o.keepSamples;
    if (!fields || input < static_cast<int>(InputKind::Inv3) || input > static_cast<int>(InputKind::Nifti) ||
        fields.get() != '\n' || !std::getline(fields, o.series)) {
        return false;
    }
    o.input = static_cast<InputKind>(input);
    std::getline(fields, o.inputPath, '\0');
    return !o.inputPath.empty();
}

}  // namespace scan
