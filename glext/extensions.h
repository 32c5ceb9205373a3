// Extension registry: which GL and window-system extensions and which core GL
// version the current context offers, recorded once per process as flags.
// Pairs with glext/entry_points.h, which resolves the entry points the flags
// allow. The viewer calls initExtensions once with its window's context current.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <cstdint>

#include "glext/wgl_types.h"

namespace glext {

// One 0-or-1 flag per extension or core version, in declared order.
struct ExtensionFlags {
#define VV_WGL_FLAG(field, name) int32_t field;
#define VV_WGL_QUERY_FLAG(field, name) int32_t field;
#define VV_GL_FLAG(field, name) int32_t field;
#define VV_VERSION_FLAG(field, major, minor) int32_t field;
#include "glext/extension_flags.inc"
#undef VV_WGL_FLAG
#undef VV_WGL_QUERY_FLAG
#undef VV_GL_FLAG
#undef VV_VERSION_FLAG
};

// The process-wide flags; all 0 until initExtensions runs.
extern ExtensionFlags extensionFlags;

// Where a flag's value comes from.
enum class FlagSource {
    wglString,  // the window-system extension string
    wglQuery,   // whether the extension-string query of that name resolved
    glString,   // the GL extension string
    glVersion,  // GL_VERSION reports at least major.minor
};

// One flag of the record, for code that walks all of them.
struct FlagInfo {
    const char* name;  // the extension name looked up, or "version_1_2" etc.
    int32_t ExtensionFlags::*field;
    FlagSource source;
    int major;  // the core version, for glVersion flags only
    int minor;
};

// The 98 flags in declared order.
const FlagInfo* flagTable();
std::size_t flagCount();
// The entry of `field`, or null when `field` is null.
const FlagInfo* findFlag(int32_t ExtensionFlags::*field);

// 1 when the GL extension string holds `name` as a whole, space-separated token.
int hasGlExtension(const char* name);
// The same against the window-system extension string; 0 without one.
int hasWglExtension(const char* name);
// Sets the version flags from GL_VERSION and the GL flags from GL_EXTENSIONS.
void queryGlExtensions();
// Sets every flag and resolves every entry point it allows; 1 when an entry
// point of an advertised window-system extension failed to resolve, else 0.
int initExtensions();

// How glGetString is reached: the real one by default, a fake in tests.
typedef const GLubyte*(APIENTRYP GlStringQuery)(GLenum name);
// The device context the window-system extension-string query is asked about.
typedef HDC (*CurrentDcQuery)();

// Replaces the GL string query; null restores glGetString.
void setGlStringQuery(GlStringQuery query);
// Replaces the current-device-context query; null restores the default, which
// answers a null context (hosts without WGL ignore the argument). On Windows the
// application passes wglGetCurrentDC.
void setCurrentDcQuery(CurrentDcQuery query);

}  // namespace glext
