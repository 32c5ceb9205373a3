// An in-memory driver for the extension tests: fake GL strings, fake
// window-system extension-string queries that count their calls, and a
// resolver that answers every other name not in `missing` with a non-null address. Installing
// it clears all extension state; removing it restores the defaults.
#pragma once

#include <set>
#include <string>

#include "glext/entry_points.h"

class FakeDriver {
public:
    const char* version = "1.1";     // GL_VERSION
    const char* glExtensions = "";   // GL_EXTENSIONS; null for none
    const char* wglExtensions = "";  // what both extension-string queries answer
    std::set<std::string> missing;   // names the resolver does not know
    int arbCalls = 0, extCalls = 0;
    glext::HDC dcSeen = nullptr;  // the context the ARB query was last asked about

    static glext::HDC currentDc() { return reinterpret_cast<glext::HDC>(instance_); }

    FakeDriver() {
        instance_ = this;
        glext::resetExtensionState();
        glext::setProcResolver(&resolve);
        glext::setGlStringQuery(&glString);
        glext::setCurrentDcQuery(&currentDc);
    }
    ~FakeDriver() {
        glext::setProcResolver(nullptr);
        glext::setGlStringQuery(nullptr);
        glext::setCurrentDcQuery(nullptr);
        glext::resetExtensionState();
        instance_ = nullptr;
    }

private:
    static void* resolve(const char* name) {
        static char anyProc;
        const std::string key = name;
        if (key == "wglGetExtensionsStringARB") return reinterpret_cast<void*>(&arbString);
        if (key == "wglGetExtensionsStringEXT") return reinterpret_cast<void*>(&extString);
        return instance_->missing.count(key) ? nullptr : &anyProc;
    }
    static const GLubyte* APIENTRY glString(GLenum which) {
        return reinterpret_cast<const GLubyte*>(which == GL_VERSION      ? instance_->version
                                                : which == GL_EXTENSIONS ? instance_->glExtensions
                                                                         : nullptr);
    }
    static const char* APIENTRY arbString(glext::HDC dc) {
        ++instance_->arbCalls;
        instance_->dcSeen = dc;
        return instance_->wglExtensions;
    }
    static const char* APIENTRY extString() {
        ++instance_->extCalls;
        return instance_->wglExtensions;
    }

    static inline FakeDriver* instance_ = nullptr;
};
