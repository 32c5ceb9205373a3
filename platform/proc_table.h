// Which OpenGL entry points a context provides, from its version and
// extension string: the rule that keeps the resolver's "null when absent"
// honest, since window-system lookups answer for any name.
#pragma once

namespace platform {

// Reads "major.minor" from the start of a GL_VERSION string (vendor text may
// follow); 0.0 for null or malformed strings.
void parseGlVersion(const char* version, int& major, int& minor);

// Whether `name` is one of the space-separated tokens of `list`.
bool hasToken(const char* list, const char* name);

// True when an entry point newer than OpenGL 1.1 with this name belongs to a
// core version up to major.minor or to an extension in `extensions`. Unknown
// names and OpenGL 1.0/1.1 names (linked directly) give false.
bool glProcProvided(const char* name, int major, int minor, const char* extensions);

}  // namespace platform
