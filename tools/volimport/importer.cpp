#include "tools/volimport/importer.h"


#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_output.h"
#include "tools/volimport/cubic_resample.h"
#include "volume/dataset_file.h"
#include "tools/volimport/inv3_project.h"
#include "tools/volimport/raw_file.h"

namespace volimport {
namespace {

// 4 GiB of samples: far beyond what the viewer can hold, small enough to
// fail with a message rather than when memory runs out.
constexpr double kMaxOutputSamples = 2147483648.0;

int failure(std::FILE* err, const std::string& path, const std::string& problem) {
    std::fprintf(err, "volimport: %s: %s\n", path.c_str(), problem.c_str());
    return 1;
}

}  // namespace

int runImport(const Options& options, std::FILE* out, std::FILE* err, ImportResult* result) {
    const std::string& input = options.inputPath;
    const std::string& output = options.outputPath;
    // Fail before the work when the output is taken; the write checks again.
    if (platform::sameFile(input, output)) return failure(err, output, "is the input file");
    if (!options.force && platform::pathExists(output)) {
        return failure(err, output, "already exists; use --force to replace it");
    }

    const int offset = options.effectiveOffset();
    Scan scan;
    std::string error;
    if (options.input == InputKind::Inv3) {
        if (!readInv3Project(input, offset, scan, error)) return failure(err, input, error);
    } else {
        uint64_t trailing = 0;
        if (!readRawFile(input, options.skipBytes, options.layout, offset, scan, trailing,
                         error)) {
            return failure(err, input, error);
        }
        std::copy(options.spacing, options.spacing + 3, scan.spacing);
        if (trailing > 0) {
            std::fprintf(err, "volimport: %s: warning: %llu bytes after the samples ignored\n",
                         input.c_str(), static_cast<unsigned long long>(trailing));
        }
    }

    CubicShape shape;
    if (!cubicShape(scan.grid.dims, scan.spacing, volume::kMaxDatasetDim, shape, error)) {
        return failure(err, input, error);
    }
    const double outputSamples =
        static_cast<double>(shape.dims[0]) * shape.dims[1] * static_cast<double>(shape.dims[2]);
    if (outputSamples > kMaxOutputSamples) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "the output would be %d x %d x %d = %.0f samples, more than the %.0f "
                      "allowed",
                      shape.dims[0], shape.dims[1], shape.dims[2], outputSamples,
                      kMaxOutputSamples);
        return failure(err, input, text);
    }
    SampleGrid cubic;
    resampleToCubic(scan.grid, scan.spacing, shape, cubic);
    scan.grid.samples = std::vector<uint16_t>();
    if (options.flipZ) flipZ(cubic);
    const auto range = std::minmax_element(cubic.samples.begin(), cubic.samples.end());

    if (!volume::writeDataset(output, cubic.dims, cubic.samples, options.force, error)) {
        if (error == "already exists") error += "; use --force to replace it";
        return failure(err, output, error);
    }

    std::fprintf(out, "input:  %s (%s): %d x %d x %d %s samples, spacing %g x %g x %g mm\n",
                 input.c_str(), scan.source.c_str(), scan.grid.dims[0], scan.grid.dims[1],
                 scan.grid.dims[2], sampleTypeName(scan.type), scan.spacing[0], scan.spacing[1],
                 scan.spacing[2]);
    std::fprintf(out, "values: offset %+d, clamped to 0..4095 (%zu below, %zu above)\n", offset,
                 scan.clamped.below, scan.clamped.above);
    std::fprintf(out, "output: %d x %d x %d cubic voxels of %g mm%s, values %u..%u\n",
                 cubic.dims[0], cubic.dims[1], cubic.dims[2], shape.edge,
                 options.flipZ ? ", z flipped" : "", unsigned{*range.first},
                 unsigned{*range.second});
    std::fprintf(out, "wrote:  %s (%zu bytes)\n", output.c_str(), 6 + 2 * cubic.samples.size());
    if (result != nullptr) {
        std::copy(cubic.dims, cubic.dims + 3, result->dims);
        result->minValue = *range.first;
        result->maxValue = *range.second;
    }
    return 0;
}

}  // namespace volimport
