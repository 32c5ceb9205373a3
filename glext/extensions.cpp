#include "glext/extensions.h"

#include <cstring>

#include "glext/entry_points.h"

namespace glext {

ExtensionFlags extensionFlags = {};

namespace {

const FlagInfo kFlags[] = {
#define VV_WGL_FLAG(field, name) {name, &ExtensionFlags::field, FlagSource::wglString, 0, 0},
#define VV_WGL_QUERY_FLAG(field, name) {name, &ExtensionFlags::field, FlagSource::wglQuery, 0, 0},
#define VV_GL_FLAG(field, name) {name, &ExtensionFlags::field, FlagSource::glString, 0, 0},
#define VV_VERSION_FLAG(field, major, minor) \
    {#field, &ExtensionFlags::field, FlagSource::glVersion, major, minor},
#include "glext/extension_flags.inc"
#undef VV_WGL_FLAG
#undef VV_WGL_QUERY_FLAG
#undef VV_GL_FLAG
#undef VV_VERSION_FLAG
};

const GLubyte* APIENTRY realGlString(GLenum name) { return glGetString(name); }

HDC noCurrentDc() { return nullptr; }

GlStringQuery glStringQuery = &realGlString;
CurrentDcQuery currentDcQuery = &noCurrentDc;

const char* glString(GLenum name) { return reinterpret_cast<const char*>(glStringQuery(name)); }

// A name to look up must be non-empty and free of spaces.
bool isValidName(const char* name) { return name[0] != '\0' && std::strchr(name, ' ') == nullptr; }

// 1 when `name` occurs in `list` with a space or the start before it and a
// space or the end after it. Only the space separates names.
int containsToken(const char* list, const char* name) {
    const std::size_t length = std::strlen(name);
    const char* from = list;
    while (const char* found = std::strstr(from, name)) {
        const bool startsToken = found == list || found[-1] == ' ';
        const char after = found[length];
        if (startsToken && (after == ' ' || after == '\0')) return 1;
        from = found + length;
    }
    return 0;
}

// Reads the unsigned number at `text`, advancing past it; false if none.
// Saturates so that absurdly long digit runs cannot overflow.
bool readNumber(const char*& text, int& value) {
    if (*text < '0' || *text > '9') return false;
    value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value < 100000) value = value * 10 + (*text - '0');
    }
    return true;
}

// The leading "major.minor" of a GL_VERSION string; false when it has none.
// NOTE: the version must be read from the start of the string. Searching for
// "1." anywhere would miss every 2.x to 4.x driver and could land on a
// vendor's release number instead.
bool parseVersion(const char* text, int& major, int& minor) {
    if (!readNumber(text, major)) return false;
    if (*text != '.') return false;
    ++text;
    return readNumber(text, minor);
}

}  // namespace

const FlagInfo* flagTable() { return kFlags; }

std::size_t flagCount() { return sizeof kFlags / sizeof kFlags[0]; }

const FlagInfo* findFlag(int32_t ExtensionFlags::*field) {
    if (field == nullptr) return nullptr;
    for (const FlagInfo& flag : kFlags) {
        if (flag.field == field) return &flag;
    }
    return nullptr;
}

int hasGlExtension(const char* name) {
    if (!isValidName(name)) return 0;
    const char* list = glString(GL_EXTENSIONS);
    if (list == nullptr) return 0;
    return containsToken(list, name);
}

int hasWglExtension(const char* name) {
    if (!isValidName(name)) return 0;
    // NOTE: the choice tests the pointers, not the flags; the ARB query wins.
    const char* list = nullptr;
    if (wglGetExtensionsStringARB != nullptr) {
        list = wglGetExtensionsStringARB(currentDcQuery());
    } else if (wglGetExtensionsStringEXT != nullptr) {
        list = wglGetExtensionsStringEXT();
    } else {
        return 0;
    }
    if (list == nullptr) return 0;
    return containsToken(list, name);
}

void queryGlExtensions() {
    const char* version = glString(GL_VERSION);
    if (version == nullptr) return;

    int major = 0;
    int minor = 0;
    const bool parsed = parseVersion(version, major, minor);
    for (const FlagInfo& flag : kFlags) {
        if (flag.source != FlagSource::glVersion) continue;
        const bool atLeast = major > flag.major || (major == flag.major && minor >= flag.minor);
        extensionFlags.*flag.field = parsed && atLeast ? 1 : 0;
    }
    for (const FlagInfo& flag : kFlags) {
        if (flag.source != FlagSource::glString) continue;
        extensionFlags.*flag.field = hasGlExtension(flag.name);
    }
}

int initExtensions() {
    extensionLoadError = 0;
    queryGlExtensions();
    runGlLoaders();
    return initWglExtensions();
}

void setGlStringQuery(GlStringQuery query) { glStringQuery = query != nullptr ? query : &realGlString; }

void setCurrentDcQuery(CurrentDcQuery query) { currentDcQuery = query != nullptr ? query : &noCurrentDc; }

}  // namespace glext
