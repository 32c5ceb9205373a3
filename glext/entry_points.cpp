#include "glext/entry_points.h"

#include "glext/viewer_entry_points.h"

namespace glext {

#define VV_GL(gate, ret, name, params) ret(APIENTRYP name) params = nullptr;
#define VV_GL_UNLISTED(gate, ret, name, params) ret(APIENTRYP name) params = nullptr;
#define VV_WGL(gate, ret, name, params) ret(APIENTRYP name) params = nullptr;
#define VV_WGL_QUERY(ret, name, params) ret(APIENTRYP name) params = nullptr;
#define VV_SHARED(gate, name)
#include "glext/entry_points.inc"
#undef VV_GL
#undef VV_GL_UNLISTED
#undef VV_WGL
#undef VV_WGL_QUERY
#undef VV_SHARED

int32_t extensionLoadError = 0;

namespace {

#define VV_LOOKUP(gate, name, repeat)                                                        \
    {#name, gate, repeat, [](void* proc) { name = reinterpret_cast<decltype(name)>(proc); }, \
     []() { return reinterpret_cast<GenericProc>(name); }},
#define VV_GL(gate, ret, name, params) VV_LOOKUP(&ExtensionFlags::gate, name, false)
#define VV_GL_UNLISTED(gate, ret, name, params) VV_LOOKUP(&ExtensionFlags::gate, name, false)
#define VV_WGL(gate, ret, name, params) VV_LOOKUP(&ExtensionFlags::gate, name, false)
#define VV_WGL_QUERY(ret, name, params) VV_LOOKUP(nullptr, name, false)
#define VV_SHARED(gate, name) VV_LOOKUP(&ExtensionFlags::gate, name, true)
const Lookup kLookups[] = {
#include "glext/entry_points.inc"
};
#undef VV_GL
#undef VV_GL_UNLISTED
#undef VV_WGL
#undef VV_WGL_QUERY
#undef VV_SHARED
#undef VV_LOOKUP

void* noResolver(const char*) { return nullptr; }

ProcResolver procResolver = &noResolver;

bool isWindowSystemGate(int32_t ExtensionFlags::*gate) {
    const FlagInfo* flag = findFlag(gate);
    return flag != nullptr && (flag->source == FlagSource::wglString || flag->source == FlagSource::wglQuery);
}

// Runs the loaders of one stage in table order. A loader whose flag is 0
// touches nothing; otherwise it stores every answer, null included.
void runLoaders(bool windowSystem) {
    for (const Lookup& row : kLookups) {
        if (row.gate == nullptr || isWindowSystemGate(row.gate) != windowSystem) continue;
        if (extensionFlags.*row.gate == 0) continue;
        row.store(resolveProc(row.name));
    }
}

}  // namespace

void setProcResolver(ProcResolver resolver) { procResolver = resolver != nullptr ? resolver : &noResolver; }

void* resolveProc(const char* name) {
    void* proc = procResolver(name);
    if (proc == nullptr) extensionLoadError = 1;
    return proc;
}

void runGlLoaders() { runLoaders(false); }

int initWglExtensions() {
    extensionLoadError = 0;
    for (const Lookup& row : kLookups) {
        if (row.gate == nullptr) row.store(resolveProc(row.name));
    }
    // NOTE: a driver without an extension-string query is not a failure.
    extensionFlags.wgl_ARB_extensions_string = wglGetExtensionsStringARB != nullptr ? 1 : 0;
    extensionFlags.wgl_EXT_extensions_string = wglGetExtensionsStringEXT != nullptr ? 1 : 0;
    extensionLoadError = 0;

    const FlagInfo* flags = flagTable();
    for (std::size_t i = 0; i < flagCount(); ++i) {
        if (flags[i].source != FlagSource::wglString) continue;
        extensionFlags.*flags[i].field = hasWglExtension(flags[i].name);
    }
    runLoaders(true);
    return extensionLoadError;
}

const Lookup* lookupTable() { return kLookups; }

std::size_t lookupCount() { return sizeof kLookups / sizeof kLookups[0]; }

std::vector<const char*> missingViewerEntryPoints() {
    std::vector<const char*> missing;
#define VV_CHECK(name) \
    if (name == nullptr) missing.push_back(#name);
    VV_VIEWER_ENTRY_POINTS(VV_CHECK)
#undef VV_CHECK
    return missing;
}

void resetExtensionState() {
    extensionFlags = ExtensionFlags{};
    for (const Lookup& row : kLookups) row.store(nullptr);
    extensionLoadError = 0;
}

}  // namespace glext
