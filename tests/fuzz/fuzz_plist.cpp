// Property-list documents of any content: either a value tree or an error
// naming the line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "scan/plist.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

using scan::PlistValue;

std::size_t walk(const PlistValue& value, int depth) {
    FUZZ_CHECK(depth <= 101);
    FUZZ_CHECK(plistKindName(value.kind) != nullptr);
    std::size_t count = 1;
    if (value.kind == PlistValue::Kind::Dict) {
        FUZZ_CHECK(value.keys.size() == value.items.size());
        for (const std::string& key : value.keys) FUZZ_CHECK(value.find(key) != nullptr);
    } else {
        FUZZ_CHECK(value.find("filename") == nullptr);
    }
    for (const PlistValue& item : value.items) count += walk(item, depth + 1);
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    PlistValue root;
    std::string error;
    if (scan::parsePlist(reinterpret_cast<const char*>(data), size, root, error)) {
        FUZZ_CHECK(error.empty());
        walk(root, 0);
    } else {
        FUZZ_CHECK(!error.empty());
    }
    return 0;
}
