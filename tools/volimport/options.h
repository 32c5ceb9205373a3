// Command line of volimport.
#pragma once

#include <cstdint>
#include <string>

#include "scan/import_options.h"

namespace volimport {

// Fills `out` from the arguments after the program name. Fails, with `error`,
// on unknown or repeated options, missing or malformed values, or a missing
// input or output.
bool parseOptions(int argc, const char* const* argv, scan::Options& out, std::string& error);

// "X,Y,Z" or "XxYxZ" with positive integers.
bool parseDims(const std::string& text, int out[3]);

// The text of --help.
const char* usageText();

}  // namespace volimport
