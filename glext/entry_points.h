// Entry-point resolution: one process-wide pointer per GL and window-system
// entry point beyond GL 1.1, named like the entry point and typed with its
// published signature, filled by initExtensions (glext/extensions.h) for each
// advertised extension and reported core version. A pointer stays null when its
// extension or version is absent or its lookup failed; callers check first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "glext/extensions.h"

namespace glext {

// The pointers themselves, declared from the entry-point table.
#define VV_GL(gate, ret, name, params) extern ret(APIENTRYP name) params;
#define VV_GL_UNLISTED(gate, ret, name, params) extern ret(APIENTRYP name) params;
#define VV_WGL(gate, ret, name, params) extern ret(APIENTRYP name) params;
#define VV_WGL_QUERY(ret, name, params) extern ret(APIENTRYP name) params;
#define VV_SHARED(gate, name)
#include "glext/entry_points.inc"
#undef VV_GL
#undef VV_GL_UNLISTED
#undef VV_WGL
#undef VV_WGL_QUERY
#undef VV_SHARED

// 1 when a lookup returned null since the flag was last cleared.
extern int32_t extensionLoadError;

// Looks up an entry point of the current context.
typedef void* (*ProcResolver)(const char* name);

// Sets how entry points are looked up; the application passes its window
// system's resolver at start-up. Null restores the default, which finds nothing.
void setProcResolver(ProcResolver resolver);

// Looks `name` up through the resolver; a null answer sets extensionLoadError.
void* resolveProc(const char* name);

// Runs the GL-extension loaders and then the core-version loaders 1.2, 1.3, 1.4.
void runGlLoaders();
// The window-system stage of initExtensions: resolves the two extension-string
// queries, sets the window-system flags, runs the WGL loaders. Returns
// extensionLoadError, counting only failures of the WGL loaders.
int initWglExtensions();

// Any entry point, for code that handles them all alike.
typedef void (*GenericProc)();

// One lookup of the entry-point table, in the order of resolution.
struct Lookup {
    const char* name;
    int32_t ExtensionFlags::*gate;  // null for the extension-string queries
    bool repeat;                    // resolves again a pointer of an earlier row
    void (*store)(void* proc);      // writes the pointer
    GenericProc (*read)();          // reads the pointer
};

// The 572 lookups of the table; 551 of them declare a pointer of their own.
const Lookup* lookupTable();
std::size_t lookupCount();

// The names of the entry points the viewer calls (glext/viewer_entry_points.h)
// whose pointers are null.
std::vector<const char*> missingViewerEntryPoints();

// Clears every flag, every pointer and extensionLoadError, as at program start.
// The viewer never needs this; tests do between cases.
void resetExtensionState();

}  // namespace glext
