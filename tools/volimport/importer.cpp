#include "tools/volimport/importer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_output.h"
#include "tools/volimport/cubic_resample.h"
#include "tools/volimport/dicom_series.h"
#include "tools/volimport/fit_resample.h"
#include "tools/volimport/inv3_project.h"
#include "tools/volimport/nifti_file.h"
#include "tools/volimport/patient_axes.h"
#include "tools/volimport/progress_bar.h"
#include "tools/volimport/raw_file.h"
#include "tools/volimport/value_map.h"
#include "volume/dataset_file.h"

namespace volimport {
namespace {

// 4 GiB of samples: far beyond what the viewer can hold, small enough to
// fail with a message rather than when memory runs out.
constexpr double kMaxOutputSamples = 2147483648.0;

// The edge of the viewer's grid: scans are reduced to fit it unless --full.
constexpr int kViewerGrid = 128;

int failure(std::FILE* err, const std::string& path, const std::string& problem) {
    // Problems that name their own file need no prefix.
    if (problem.rfind(path, 0) == 0) {
        std::fprintf(err, "volimport: %s\n", problem.c_str());
    } else {
        std::fprintf(err, "volimport: %s: %s\n", path.c_str(), problem.c_str());
    }
    return 1;
}

// The series --series names, or the largest; says which on `out`.
const SeriesSummary* pickSeries(const std::vector<SeriesSummary>& all, const std::string& uid, std::FILE* out,
                                std::string& error) {
    if (uid.empty()) {
        const SeriesSummary& largest = all.front();
        if (all.size() > 1) {
            std::fprintf(out,
                         "series: %s (%s), %zu slices: the largest of %zu; --list shows them, "
                         "--series picks one\n",
                         largest.uid.c_str(), largest.description.c_str(), largest.files.size(), all.size());
        }
        return &largest;
    }
    for (const SeriesSummary& series : all) {
        if (series.uid == uid) return &series;
    }
    error = "holds no series " + uid + "; --list shows the series it holds";
    return nullptr;
}

void listSeries(const std::vector<SeriesSummary>& all, std::FILE* out) {
    for (const SeriesSummary& series : all) {
        std::fprintf(out, "%s  %s  %s %d x %d x %zu\n", series.uid.c_str(),
                     series.description.empty() ? "(no description)" : series.description.c_str(),
                     series.modality.c_str(), series.columns, series.rows, series.files.size());
    }
}

// The rule for a scan's values: the range the user gave, the offset rule for
// CT in Hounsfield units (or an offset the user gave), else the data's own
// percentiles.
ValueMapping chooseMapping(const Options& options, bool hounsfield, const std::vector<float>& values) {
    ValueMapping mapping;
    if (options.rangeGiven) {
        mapping.rule = ValueMapping::Rule::GivenRange;
        mapping.low = options.range[0];
        mapping.high = options.range[1];
    } else if (hounsfield || options.offsetGiven) {
        mapping.offset = options.effectiveOffset();
    } else {
        mapping = percentileMapping(values);
    }
    return mapping;
}

// DICOM and NIfTI input: real values mapped to 12 bits, turned into the
// anatomical convention.
int readOriented(const Options& options, std::FILE* out, std::FILE* err, Scan& scan, std::string& valuesText,
                 std::string& orientationText) {
    const std::string& input = options.inputPath;
    RealVolume real;
    std::string error, note;
    if (options.input == InputKind::Dicom) {
        std::vector<SeriesSummary> all;
        if (!findSeries(input, all, err, error)) return failure(err, input, error);
        const SeriesSummary* series = pickSeries(all, options.series, out, error);
        if (series == nullptr) return failure(err, input, error);
        if (!readSeries(*series, real, err, error)) return failure(err, input, error);
    } else {
        if (!readNiftiFile(input, real, note, error)) return failure(err, input, error);
        if (!note.empty()) std::fprintf(err, "volimport: %s: note: %s\n", input.c_str(), note.c_str());
    }
    const ValueMapping mapping = chooseMapping(options, real.hounsfield, real.values);
    std::copy(real.dims, real.dims + 3, scan.grid.dims);
    std::copy(real.spacing, real.spacing + 3, scan.spacing);
    mapValues(real.values, mapping, scan.grid, scan.clamped);
    real.values = std::vector<float>();
    valuesText = describeMapping(mapping);
    scan.source = real.source;
    scan.type = SampleType::Int16;
    if (!real.oriented) {
        orientationText = "not recorded in the file: kept in storage order";
        return 0;
    }
    AxisMap map;
    if (!conventionMap(real.axes, map, error)) return failure(err, input, error);
    applyAxisMap(map, scan.grid, scan.spacing);
    orientationText = "+x left, +y anterior, +z superior (" + describeAxisMap(map) + ")";
    return 0;
}

void showResampling(int axesDone, void* bar) { static_cast<ProgressBar*>(bar)->update(axesDone); }

}  // namespace

int runImport(const Options& options, std::FILE* out, std::FILE* err, ImportResult* result) {
    const std::string& input = options.inputPath;
    const std::string& output = options.outputPath;
    if (options.input == InputKind::Dicom && options.list) {
        std::vector<SeriesSummary> all;
        std::string error;
        if (!findSeries(input, all, err, error)) return failure(err, input, error);
        listSeries(all, out);
        return 0;
    }
    // Fail before the work when the output is taken; the write checks again.
    if (platform::sameFile(input, output)) return failure(err, output, "is the input file");
    if (!options.force && platform::pathExists(output)) {
        return failure(err, output, "already exists; use --force to replace it");
    }

    const int offset = options.effectiveOffset();
    Scan scan;
    std::string error;
    std::string valuesText, orientationText;
    if (options.input == InputKind::Dicom || options.input == InputKind::Nifti) {
        const int status = readOriented(options, out, err, scan, valuesText, orientationText);
        if (status != 0) return status;
    } else if (options.input == InputKind::Inv3) {
        if (!readInv3Project(input, offset, scan, error)) return failure(err, input, error);
    } else {
        // Raw int16 and uint16 are taken for CT (the offset rule); uint8 never is.
        const bool mapped =
            options.rangeGiven || (!options.offsetGiven && options.layout.type == SampleType::UInt8);
        std::vector<float> values;
        uint64_t trailing = 0;
        if (!readRawFile(input, options.skipBytes, options.layout, offset, scan, trailing, error,
                         mapped ? &values : nullptr)) {
            return failure(err, input, error);
        }
        if (mapped) {
            const ValueMapping mapping = chooseMapping(options, false, values);
            mapValues(values, mapping, scan.grid, scan.clamped);
            valuesText = describeMapping(mapping);
        }
        std::copy(options.spacing, options.spacing + 3, scan.spacing);
        if (trailing > 0) {
            std::fprintf(err, "volimport: %s: warning: %llu bytes after the samples ignored\n", input.c_str(),
                         static_cast<unsigned long long>(trailing));
        }
    }

    CubicShape shape;
    const int longest = options.full ? 0 : options.fit;
    if (!fittedShape(scan.grid.dims, scan.spacing, longest, volume::kMaxDatasetDim, shape, error)) {
        return failure(err, input, error);
    }
    const double outputSamples =
        static_cast<double>(shape.dims[0]) * shape.dims[1] * static_cast<double>(shape.dims[2]);
    if (outputSamples > kMaxOutputSamples) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "the output would be %d x %d x %d = %.0f samples, more than the %.0f "
                      "allowed",
                      shape.dims[0], shape.dims[1], shape.dims[2], outputSamples, kMaxOutputSamples);
        return failure(err, input, text);
    }
    SampleGrid cubic;
    {
        ProgressBar bar(err, "resampling", 3);
        resampleFitted(scan.grid, scan.spacing, shape, cubic, &showResampling, &bar);
    }
    scan.grid.samples = std::vector<uint16_t>();
    if (options.flipZ) flipZ(cubic);
    const auto range = std::minmax_element(cubic.samples.begin(), cubic.samples.end());

    if (!volume::writeDataset(output, cubic.dims, cubic.samples, options.force, error)) {
        if (error == "already exists") error += "; use --force to replace it";
        return failure(err, output, error);
    }

    // DICOM and NIfTI name their sample type in the source.
    const std::string typeText = orientationText.empty() ? std::string(sampleTypeName(scan.type)) + " " : "";
    std::fprintf(out, "input:  %s (%s): %d x %d x %d %ssamples, spacing %g x %g x %g mm\n", input.c_str(),
                 scan.source.c_str(), scan.grid.dims[0], scan.grid.dims[1], scan.grid.dims[2],
                 typeText.c_str(), scan.spacing[0], scan.spacing[1], scan.spacing[2]);
    if (valuesText.empty())
        valuesText = "offset " + std::string(offset >= 0 ? "+" : "") + std::to_string(offset);
    std::fprintf(out, "values: %s, clamped to 0..4095 (%zu below, %zu above)\n", valuesText.c_str(),
                 scan.clamped.below, scan.clamped.above);
    if (!orientationText.empty()) std::fprintf(out, "orientation: %s\n", orientationText.c_str());
    const int most = std::max(cubic.dims[0], std::max(cubic.dims[1], cubic.dims[2]));
    const char* fit =
        options.full && most > kViewerGrid
            ? " (full resolution: the viewer thins or crops what exceeds its grid; --grid sets it)"
            : "";
    std::fprintf(out, "output: %d x %d x %d cubic voxels of %g mm%s%s, values %u..%u\n", cubic.dims[0],
                 cubic.dims[1], cubic.dims[2], shape.edge, options.flipZ ? ", z flipped" : "", fit,
                 unsigned{*range.first}, unsigned{*range.second});
    std::fprintf(out, "wrote:  %s (%zu bytes)\n", output.c_str(), 6 + 2 * cubic.samples.size());
    if (result != nullptr) {
        std::copy(cubic.dims, cubic.dims + 3, result->dims);
        result->minValue = *range.first;
        result->maxValue = *range.second;
    }
    return 0;
}

}  // namespace volimport
