#include "platform/proc_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace platform {

namespace {

struct ProcRow {
    const char* name;
    const char* feature;  // "GL_VERSION_x_y" or an extension name
};

const ProcRow procRows[] = {
#define VV_GL_PROC(name, feature) {name, feature},
#include "platform/gl_proc_table.inc"
#undef VV_GL_PROC
};

bool featureProvided(const char* feature, int major, int minor, const char* extensions) {
    int needMajor = 0, needMinor = 0;
    if (std::sscanf(feature, "GL_VERSION_%d_%d", &needMajor, &needMinor) == 2)
        return major > needMajor || (major == needMajor && minor >= needMinor);
    return hasToken(extensions, feature);
}

}  // namespace

void parseGlVersion(const char* version, int& major, int& minor) {
    major = minor = 0;
    int a = 0, b = 0;
    if (version && std::sscanf(version, "%d.%d", &a, &b) == 2 && a > 0 && b >= 0) {
        major = a;
        minor = b;
    }
}

bool hasToken(const char* list, const char* name) {
    if (!list || !name || !*name) return false;
    const std::size_t length = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[length] == ' ' || p[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

bool glProcProvided(const char* name, int major, int minor, const char* extensions) {
    if (!name) return false;
    const auto byName = [](const ProcRow& row, const char* key) { return std::strcmp(row.name, key) < 0; };
    for (auto row = std::lower_bound(std::begin(procRows), std::end(procRows), name, byName);
         row != std::end(procRows) && std::strcmp(row->name, name) == 0; ++row)
        if (featureProvided(row->feature, major, minor, extensions)) return true;
    return false;
}

}  // namespace platform
