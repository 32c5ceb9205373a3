// A small reader of XML property lists: dict, array, key, string, integer,
// real, true and false. Enough for project descriptions written by other
// programs; data, date and anything else are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace scan {

class PlistValue {
public:
    enum class Kind { Dict, Array, String, Integer, Real, Boolean };

    Kind kind = Kind::String;
    std::string text;               // String
    int64_t integer = 0;            // Integer
    double real = 0.0;              // Real
    bool boolean = false;           // Boolean
    std::vector<std::string> keys;  // Dict: keys[i] names items[i]
    std::vector<PlistValue> items;  // Dict and Array

    // The value of `key` in a dict; null when absent or not a dict.
    const PlistValue* find(const std::string& key) const;
    bool isNumber() const { return kind == Kind::Integer || kind == Kind::Real; }
    double number() const { return kind == Kind::Integer ? static_cast<double>(integer) : real; }
};

// Parses the document in `text`. Fails, with `error` naming the line and the
// problem, on anything malformed: unbalanced or unknown elements, a dict key
// without a value, a bad number, nesting deeper than 100 levels.
bool parsePlist(const char* text, std::size_t size, PlistValue& out, std::string& error);

// The name of a kind, for messages ("dict", "integer", ...).
const char* plistKindName(PlistValue::Kind kind);

}  // namespace scan
