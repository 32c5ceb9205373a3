// An in-memory driver for the extension tests: fake GL strings, a fake
// window-system extension-string query and a resolver that answers every name
// with its own non-null address unless told otherwise. Installing it clears
// all extension state; removing it restores the defaults.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "glext/entry_points.h"

class FakeDriver {
public:
    const char* version = "1.1";     // GL_VERSION; null for none
    const char* glExtensions = "";   // GL_EXTENSIONS; null for none
    const char* wglExtensions = "";  // what both extension-string queries answer
    bool arbQuery = true;            // wglGetExtensionsStringARB resolves
    bool extQuery = true;            // wglGetExtensionsStringEXT resolves
    std::set<std::string> missing;   // names the resolver does not find

    std::vector<std::string> lookups;  // every name asked of the resolver
    int glExtensionsReads = 0;
    int arbCalls = 0;
    int extCalls = 0;
    glext::HDC dcSeen = nullptr;  // the context the ARB query was last asked about

    static glext::HDC currentDc() { return reinterpret_cast<glext::HDC>(&instance()); }

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

    // The address the resolver hands out for `name`.
    void* procFor(const std::string& name) { return &procs_[name]; }
    int lookupsOf(const std::string& name) const {
        int count = 0;
        for (const std::string& seen : lookups) count += seen == name ? 1 : 0;
        return count;
    }

private:
    static FakeDriver& instance() { return *instance_; }

    static void* resolve(const char* name) {
        FakeDriver& d = instance();
        d.lookups.push_back(name);
        const std::string key = name;
        if (d.missing.count(key) != 0) return nullptr;
        if (key == "wglGetExtensionsStringARB")
            return d.arbQuery ? reinterpret_cast<void*>(&arbString) : nullptr;
        if (key == "wglGetExtensionsStringEXT")
            return d.extQuery ? reinterpret_cast<void*>(&extString) : nullptr;
        return d.procFor(key);
    }
    static const GLubyte* APIENTRY glString(GLenum which) {
        FakeDriver& d = instance();
        const char* text = nullptr;
        if (which == GL_VERSION) text = d.version;
        if (which == GL_EXTENSIONS) {
            ++d.glExtensionsReads;
            text = d.glExtensions;
        }
        return reinterpret_cast<const GLubyte*>(text);
    }
    static const char* APIENTRY arbString(glext::HDC dc) {
        ++instance().arbCalls;
        instance().dcSeen = dc;
        return instance().wglExtensions;
    }
    static const char* APIENTRY extString() {
        ++instance().extCalls;
        return instance().wglExtensions;
    }

    static inline FakeDriver* instance_ = nullptr;
    std::map<std::string, char> procs_;
};
