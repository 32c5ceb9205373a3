// Raw-volume imports of any content. The input holds a command line, one
// argument a line, then a NUL byte, then the raw file. The options are
// parsed as volimport parses them; when they describe a raw import, the raw
// file is read and the import runs to its end, output included.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "scan/cubic_resample.h"
#include "scan/fit_resample.h"
#include "scan/import_options.h"
#include "scan/importer.h"
#include "tests/fuzz/fuzz_scratch.h"
#include "tools/volimport/options.h"

namespace {

// Imports whose output would exceed this many samples stop after the shape
// check; the resampling itself is linear in the output.
constexpr double kMaxFuzzOutput = 1 << 18;

std::FILE* const nullOutput = std::fopen("/dev/null", "w");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const fuzzing::ScratchFile rawFile(".raw");
    static const fuzzing::ScratchFile outFile(".dat");
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    std::vector<std::string> arguments;
    std::istringstream lines(input.substr(0, nul));
    for (std::string line; std::getline(lines, line);) arguments.push_back(line);
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());

    scan::Options options;
    std::string error;
    if (!volimport::parseOptions(static_cast<int>(argv.size()), argv.data(), options, error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    if (options.help || options.input != scan::InputKind::Raw) return 0;
    FUZZ_CHECK(options.layout.dims[0] > 0 && options.layout.dims[1] > 0 && options.layout.dims[2] > 0);
    FUZZ_CHECK(options.spacing[0] > 0 && options.spacing[1] > 0 && options.spacing[2] > 0);

    // The shape the import must give: fitted to the viewer's 128 voxels unless --full.
    scan::CubicShape shape;
    if (!scan::fittedShape(options.layout.dims, options.spacing, options.full ? 0 : 128, 65535, shape, error))
        return 0;
    if (static_cast<double>(shape.dims[0]) * shape.dims[1] * shape.dims[2] > kMaxFuzzOutput) return 0;

    const std::string raw = nul != std::string::npos ? input.substr(nul + 1) : std::string();
    options.inputPath = rawFile.write(raw.data(), raw.size());
    options.outputPath = outFile.path();
    options.force = true;
    scan::ImportResult result;
    if (scan::runImport(options, nullOutput, nullOutput, &result) == 0) {
        for (int a = 0; a < 3; ++a) FUZZ_CHECK(result.dims[a] == shape.dims[a]);
        FUZZ_CHECK(result.minValue <= result.maxValue && result.maxValue <= 4095);
    }
    return 0;
}
