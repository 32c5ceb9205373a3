// volphantom: writes a small synthetic head as a dataset file, for tests.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "scan/phantom.h"
#include "tools/volimport/options.h"
#include "volume/dataset_file.h"

namespace {

const char kUsage[] =
    "usage: volphantom -o OUT [--dims X,Y,Z] [--force]\n"
    "\n"
    "Writes a synthetic head as a dataset file: an ellipsoid of soft tissue\n"
    "(1040) in air (0) inside a bone shell (1800 to 2400) with a hole on the\n"
    "front (high y) side, the top of the head towards high z and a neck\n"
    "of soft tissue down to the first slice.\n"
    "\n"
    "  -o, --output OUT   the dataset file; never written over an existing file\n"
    "  --dims X,Y,Z       grid dimensions, 1 to 65535 each (default 64,64,64)\n"
    "  --force            replace OUT when it exists\n"
    "  -h, --help         show this text\n";

int usageError(const std::string& problem) {
    std::fprintf(stderr, "volphantom: %s\nTry 'volphantom --help'.\n", problem.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int dims[3] = {64, 64, 64};
    std::string output;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--force") {
            force = true;
        } else if (arg == "-o" || arg == "--output" || arg == "--dims") {
            if (i + 1 >= argc) return usageError(arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "--dims") {
                if (!volimport::parseDims(value, dims) ||
                    *std::max_element(dims, dims + 3) > volume::kMaxDatasetDim) {
                    return usageError("--dims needs three integers from 1 to 65535, not \"" + value + "\"");
                }
            } else {
                output = value;
            }
        } else {
            return usageError("unknown argument \"" + arg + "\"");
        }
    }
    if (output.empty()) return usageError("no output: give -o FILE");

    scan::SampleGrid grid;
    scan::makeHeadPhantom(dims[0], dims[1], dims[2], grid);
    std::string error;
    if (!volume::writeDataset(output, grid.dims, grid.samples, force, error)) {
        if (error == "already exists") error += "; use --force to replace it";
        std::fprintf(stderr, "volphantom: %s: %s\n", output.c_str(), error.c_str());
        return 1;
    }
    const auto range = std::minmax_element(grid.samples.begin(), grid.samples.end());
    std::printf("output: %d x %d x %d phantom, values %u..%u\nwrote:  %s (%zu bytes)\n", dims[0], dims[1],
                dims[2], unsigned{*range.first}, unsigned{*range.second}, output.c_str(),
                6 + 2 * grid.samples.size());
    return 0;
}
