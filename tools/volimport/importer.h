// The whole import: read the scan, resample it to cubic voxels, write the
// dataset file and report what was done.
#pragma once

#include <cstdint>
#include <cstdio>

#include "tools/volimport/options.h"

namespace volimport {

// What an import produced, for callers that check it.
struct ImportResult {
    int dims[3] = {0, 0, 0};
    uint16_t minValue = 0;
    uint16_t maxValue = 0;
};

// Runs the import that `options` describes. Reports to `out`; problems go to
// `err` as one line naming the file at fault. Returns the exit status: 0 on
// success, 1 on failure.
int runImport(const Options& options, std::FILE* out, std::FILE* err, ImportResult* result = nullptr);

}  // namespace volimport
