#include "scan/plist.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace scan {
namespace {

constexpr int kMaxDepth = 100;

struct Tag {
    std::string name;
    bool closing = false;      // </name>
    bool selfClosing = false;  // <name/>
};

class Parser {
public:
    Parser(const char* text, std::size_t size) : p_(text), end_(text + size), begin_(text) {}

    bool document(PlistValue& out, std::string& error) {
        if (!skipProlog()) return fail(error);
        Tag tag;
        if (!readTag(tag)) return fail(error);
        if (tag.name != "plist" || tag.closing) {
            problem_ = "expected <plist>, found <" + tag.name + ">";
            return fail(error);
        }
        if (tag.selfClosing) {
            problem_ = "empty <plist>";
            return fail(error);
        }
        if (!readTag(tag)) return fail(error);
        if (!value(tag, out, 1)) return fail(error);
        if (!readTag(tag)) return fail(error);
        if (tag.name != "plist" || !tag.closing) {
            problem_ = "expected </plist>, found " + describe(tag);
            return fail(error);
        }
        skipSpaceAndComments();
        if (p_ != end_) {
            problem_ = "unexpected text after </plist>";
            return fail(error);
        }
        return true;
    }

private:
    bool fail(std::string& error) {
        int line = 1;
        for (const char* q = begin_; q < p_ && q < end_; ++q) line += *q == '\n';
        error = "line " + std::to_string(line) + ": " + problem_;
        return false;
    }

    static std::string describe(const Tag& tag) {
        return std::string(tag.closing ? "</" : "<") + tag.name + (tag.selfClosing ? "/>" : ">");
    }

    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    bool startsWith(const char* s) const {
        const std::size_t n = std::strlen(s);
        return static_cast<std::size_t>(end_ - p_) >= n && std::memcmp(p_, s, n) == 0;
    }

    // Moves past `terminator`; false when the text ends first.
    bool skipPast(const char* terminator) {
        const std::size_t n = std::strlen(terminator);
        while (static_cast<std::size_t>(end_ - p_) >= n) {
            if (std::memcmp(p_, terminator, n) == 0) {
                p_ += n;
                return true;
            }
            ++p_;
        }
        p_ = end_;
        return false;
    }

    bool skipSpaceAndComments() {
        for (;;) {
            while (p_ < end_ && isSpace(*p_)) ++p_;
            if (!startsWith("<!--")) return true;
            if (!skipPast("-->")) {
                problem_ = "unterminated comment";
                return false;
            }
        }
    }

    // The XML declaration, comments and the document type.
    bool skipProlog() {
        if (startsWith("\xEF\xBB\xBF")) p_ += 3;
        for (;;) {
            if (!skipSpaceAndComments()) return false;
            if (startsWith("<?")) {
                if (!skipPast("?>")) {
                    problem_ = "unterminated <?...?>";
                    return false;
                }
            } else if (startsWith("<!")) {
                if (!skipPast(">")) {
                    problem_ = "unterminated <!...>";
                    return false;
                }
            } else {
                return true;
            }
        }
    }

    // The next tag, after white space and comments. Attributes are skipped.
    bool readTag(Tag& tag) {
        if (!skipSpaceAndComments()) return false;
        if (p_ >= end_) {
            problem_ = "unexpected end of document";
            return false;
        }
        if (*p_ != '<') {
            problem_ = "expected an element, found text";
            return false;
        }
        ++p_;
        tag = Tag();
        if (p_ < end_ && *p_ == '/') {
            tag.closing = true;
            ++p_;
        }
        const char* nameStart = p_;
        while (p_ < end_ &&
               (std::isalnum(static_cast<unsigned char>(*p_)) || *p_ == '_' || *p_ == '-' || *p_ == ':')) {
            ++p_;
        }
        tag.name.assign(nameStart, p_);
        if (tag.name.empty()) {
            problem_ = "malformed element";
            return false;
        }
        char quote = 0;
        while (p_ < end_ && (quote != 0 || *p_ != '>')) {
            if (quote != 0) {
                if (*p_ == quote) quote = 0;
            } else if (*p_ == '"' || *p_ == '\'') {
                quote = *p_;
            } else if (*p_ == '<') {
                problem_ = "malformed element <" + tag.name;
                return false;
            }
            ++p_;
        }
        if (p_ >= end_) {
            problem_ = "unterminated element <" + tag.name;
            return false;
        }
        tag.selfClosing = p_[-1] == '/';
        ++p_;
        if (tag.closing && tag.selfClosing) {
            problem_ = "malformed element </" + tag.name + "/>";
            return false;
        }
        return true;
    }

    // Character data up to the closing tag `name`, with entities decoded.
    bool textUntilClose(const std::string& name, std::string& out) {
        out.clear();
        while (p_ < end_ && *p_ != '<') {
            if (*p_ != '&') {
                out += *p_++;
                continue;
            }
            static const struct {
                const char* entity;
                char c;
            } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
            bool known = false;
            for (const auto& e : kEntities) {
                if (startsWith(e.entity)) {
                    out += e.c;
                    p_ += std::strlen(e.entity);
                    known = true;
                    break;
                }
            }
            if (!known) {
                problem_ = "unsupported entity in <" + name + ">";
                return false;
            }
        }
        Tag tag;
        if (!readTag(tag)) return false;
        if (tag.name != name || !tag.closing) {
            problem_ = "expected </" + name + ">, found " + describe(tag);
            return false;
        }
        return true;
    }

    bool integerText(const std::string& text, int64_t& out) {
        const std::string trimmed = trim(text);
        if (trimmed.empty()) return badNumber("integer", text);
        errno = 0;
        char* stop = nullptr;
        const long long v = std::strtoll(trimmed.c_str(), &stop, 10);
        if (errno != 0 || *stop != '\0') return badNumber("integer", text);
        out = v;
        return true;
    }

    bool realText(const std::string& text, double& out) {
        const std::string trimmed = trim(text);
        if (trimmed.empty()) return badNumber("real", text);
        char* stop = nullptr;
        const double v = std::strtod(trimmed.c_str(), &stop);
        if (*stop != '\0' || !std::isfinite(v)) return badNumber("real", text);
        out = v;
        return true;
    }

    bool badNumber(const char* kind, const std::string& text) {
        problem_ = std::string("bad <") + kind + "> \"" + text.substr(0, 40) + "\"";
        return false;
    }

    static std::string trim(const std::string& s) {
        std::size_t a = 0, b = s.size();
        while (a < b && isSpace(s[a])) ++a;
        while (b > a && isSpace(s[b - 1])) --b;
        return s.substr(a, b - a);
    }

    // A value that starts with the already read `tag`.
    bool value(const Tag& tag, PlistValue& out, int depth) {
        out = PlistValue();
        if (depth > kMaxDepth) {
            problem_ = "nesting deeper than " + std::to_string(kMaxDepth) + " levels";
            return false;
        }
        if (tag.closing) {
            problem_ = "expected a value, found " + describe(tag);
            return false;
        }
        if (tag.name == "true" || tag.name == "false") {
            out.kind = PlistValue::Kind::Boolean;
            out.boolean = tag.name == "true";
            std::string ignored;
            return tag.selfClosing || textUntilClose(tag.name, ignored);
        }
        if (tag.name == "string" || tag.name == "integer" || tag.name == "real") {
            std::string text;
            if (!tag.selfClosing && !textUntilClose(tag.name, text)) return false;
            if (tag.name == "string") {
                out.kind = PlistValue::Kind::String;
                out.text = text;
                return true;
            }
            if (tag.name == "integer") {
                out.kind = PlistValue::Kind::Integer;
                return integerText(text, out.integer);
            }
            out.kind = PlistValue::Kind::Real;
            return realText(text, out.real);
        }
        if (tag.name == "array") {
            out.kind = PlistValue::Kind::Array;
            if (tag.selfClosing) return true;
            for (;;) {
                Tag next;
                if (!readTag(next)) return false;
                if (next.closing && next.name == "array") return true;
                out.items.emplace_back();
                if (!value(next, out.items.back(), depth + 1)) return false;
            }
        }
        if (tag.name == "dict") {
            out.kind = PlistValue::Kind::Dict;
            if (tag.selfClosing) return true;
            for (;;) {
                Tag next;
                if (!readTag(next)) return false;
                if (next.closing && next.name == "dict") return true;
                if (next.name != "key" || next.closing) {
                    problem_ = "expected <key> in <dict>, found " + describe(next);
                    return false;
                }
                std::string key;
                if (!next.selfClosing && !textUntilClose("key", key)) return false;
                Tag valueTag;
                if (!readTag(valueTag)) return false;
                if (valueTag.closing) {
                    problem_ = "key \"" + key + "\" has no value";
                    return false;
                }
                out.keys.push_back(key);
                out.items.emplace_back();
                if (!value(valueTag, out.items.back(), depth + 1)) return false;
            }
        }
        problem_ = "unsupported element " + describe(tag);
        return false;
    }

    const char* p_;
    const char* end_;
    const char* begin_;
    std::string problem_;
};

}  // namespace

const PlistValue* PlistValue::find(const std::string& key) const {
    if (kind != Kind::Dict) return nullptr;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) return &items[i];
    }
    return nullptr;
}

bool parsePlist(const char* text, std::size_t size, PlistValue& out, std::string& error) {
    Parser parser(text, size);
    out = PlistValue();
    return parser.document(out, error);
}

const char* plistKindName(PlistValue::Kind kind) {
    switch (kind) {
    case PlistValue::Kind::Dict:
        return "dict";
    case PlistValue::Kind::Array:
        return "array";
    case PlistValue::Kind::String:
        return "string";
    case PlistValue::Kind::Integer:
        return "integer";
    case PlistValue::Kind::Real:
        return "real";
    case PlistValue::Kind::Boolean:
        return "boolean";
    }
    return "value";
}

}  // namespace scan
