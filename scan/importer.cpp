#include "scan/importer.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <string>
#include <vector>

#include "platform/file_output.h"
#include "scan/cubic_resample.h"
#include "scan/dicom_series.h"
#include "scan/fit_resample.h"
#include "scan/inv3_project.h"
#include "scan/isolated_import.h"
#include "scan/nifti_file.h"
#include "scan/patient_axes.h"
#include "scan/progress_bar.h"
#include "scan/raw_file.h"
#include "scan/value_map.h"
#include "volume/dataset_file.h"

namespace scan {
namespace {

// 4 GiB of samples: far beyond what the viewer can hold, small enough to
// fail with a message rather than when memory runs out.
constexpr double kMaxOutputSamples = 2147483648.0;

// The edge of the viewer's grid: scans are reduced to fit it unless --full.
constexpr int kViewerGrid = 128;

// Sets `error` to the problem, naming the file; false, to return at once.
bool fail(std::string& error, const std::string& path, const std::string& problem) {
    // Problems that name their own file need no prefix.
    error = problem.rfind(path, 0) == 0 ? problem : path + ": " + problem;
    return false;
}

int failure(std::FILE* err, const std::string& path, const std::string& problem) {
    std::string error;
    fail(error, path, problem);
    std::fprintf(err, "volimport: %s\n", error.c_str());
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
                         largest.uid.c_str(), largest.description.c_str(), largest.slices, all.size());
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
                     series.modality.c_str(), series.columns, series.rows, series.slices);
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
bool readOriented(const Options& options, std::FILE* out, std::FILE* err, Scan& scan, std::string& valuesText,
                  std::string& orientationText, std::string& modality, std::string& error) {
    const std::string& input = options.inputPath;
    RealVolume real;
    std::string problem, note;
    if (options.input == InputKind::Dicom) {
        std::vector<SeriesSummary> all;
        if (!findSeries(input, all, err, problem)) return fail(error, input, problem);
        const SeriesSummary* series = pickSeries(all, options.series, out, problem);
        if (series == nullptr) return fail(error, input, problem);
        if (!readSeries(*series, real, err, problem)) return fail(error, input, problem);
        if (series->modality == "CT" || series->modality == "MR") modality = series->modality;
    } else {
        if (!readNiftiFile(input, std::max(0LL, options.volume - 1), real, note, problem))
            return fail(error, input, problem);
        if (!note.empty()) std::fprintf(err, "volimport: %s: note: %s\n", input.c_str(), note.c_str());
        modality = real.hounsfield ? "CT" : "MR";
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
        return true;
    }
    AxisMap map;
    if (!conventionMap(real.axes, map, problem)) return fail(error, input, problem);
    if (std::isfinite(real.origin[0]) && std::isfinite(real.origin[1]) && std::isfinite(real.origin[2])) {
        PatientPlacement stored;
        stored.known = true;
        std::copy(real.origin, real.origin + 3, stored.first);
        for (int a = 0; a < 3; ++a) std::copy(real.axes[a], real.axes[a] + 3, stored.axes[a]);
        scan.placement = mapPlacement(map, stored, scan.grid.dims, scan.spacing);
    }
    applyAxisMap(map, scan.grid, scan.spacing);
    orientationText = "+x left, +y anterior, +z superior (" + describeAxisMap(map) + ")";
    return true;
}

// printf into a string of any length.
std::string formatted(const char* format, ...) {
    std::va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, again);
    va_end(again);
    text.pop_back();
    return text;
}

void showResampling(int axesDone, void* bar) { static_cast<ProgressBar*>(bar)->update(axesDone); }

}  // namespace

bool importScan(const Options& options, int fitEdge, std::FILE* out, std::FILE* err, ImportedScan& imported,
                std::string& error) {
    if (readsInChild(options.input)) return importInChild(options, fitEdge, out, err, imported, error);
    return importScanHere(options, fitEdge, out, err, imported, error);
}

bool listSeriesHere(const Options& options, std::FILE* out, std::FILE* err, std::string& error) {
    std::vector<SeriesSummary> all;
    std::string problem;
    if (!findSeries(options.inputPath, all, err, problem)) return fail(error, options.inputPath, problem);
    listSeries(all, out);
    return true;
}

bool importScanHere(const Options& options, int fitEdge, std::FILE* out, std::FILE* err,
                    ImportedScan& imported, std::string& error) {
    ReadScan read;
    return readScanHere(options, out, err, read, error) &&
           fitScan(options, fitEdge, read, err, imported, error);
}

bool readScanHere(const Options& options, std::FILE* out, std::FILE* err, ReadScan& read,
                  std::string& error) {
    const std::string& input = options.inputPath;
    const int offset = options.effectiveOffset();
    Scan& scan = read.scan;
    std::string problem;
    if (options.input == InputKind::Dicom || options.input == InputKind::Nifti) {
        return readOriented(options, out, err, scan, read.valuesText, read.orientationText, read.modality,
                            error);
    }
    if (options.input == InputKind::Inv3) {
        if (!readInv3Project(input, offset, scan, problem)) return fail(error, input, problem);
        read.modality = "CT";
    } else {
        // Raw int16 and uint16 are taken for CT (the offset rule); uint8 never is.
        const bool mapped =
            options.rangeGiven || (!options.offsetGiven && options.layout.type == SampleType::UInt8);
        std::vector<float> values;
        uint64_t trailing = 0;
        if (!readRawFile(input, options.skipBytes, options.layout, offset, scan, trailing, problem,
                         mapped ? &values : nullptr)) {
            return fail(error, input, problem);
        }
        if (mapped) {
            const ValueMapping mapping = chooseMapping(options, false, values);
            mapValues(values, mapping, scan.grid, scan.clamped);
            read.valuesText = describeMapping(mapping);
        }
        std::copy(options.spacing, options.spacing + 3, scan.spacing);
        if (trailing > 0) {
            std::fprintf(err, "volimport: %s: warning: %llu bytes after the samples ignored\n", input.c_str(),
                         static_cast<unsigned long long>(trailing));
        }
    }
    return true;
}

bool fitScan(const Options& options, int fitEdge, ReadScan& read, std::FILE* err, ImportedScan& imported,
             std::string& error) {
    const std::string& input = options.inputPath;
    const int offset = options.effectiveOffset();
    Scan& scan = read.scan;
    std::string valuesText = read.valuesText;
    const std::string& orientationText = read.orientationText;
    imported.modality = read.modality;
    std::string problem;
    CubicShape shape;
    const int longest = options.full ? 0 : fitEdge;
    if (!fittedShape(scan.grid.dims, scan.spacing, longest, volume::kMaxDatasetDim, shape, problem)) {
        return fail(error, input, problem);
    }
    const double outputSamples =
        static_cast<double>(shape.dims[0]) * shape.dims[1] * static_cast<double>(shape.dims[2]);
    if (outputSamples > kMaxOutputSamples) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "the output would be %d x %d x %d = %.0f samples, more than the %.0f "
                      "allowed",
                      shape.dims[0], shape.dims[1], shape.dims[2], outputSamples, kMaxOutputSamples);
        return fail(error, input, text);
    }
    SampleGrid& cubic = imported.cubic;
    {
        ProgressBar bar(err, "resampling", 3);
        resampleFitted(scan.grid, scan.spacing, shape, cubic, &showResampling, &bar);
    }
    if (options.keepSamples) {
        imported.kept = std::move(scan.grid);
        std::copy(scan.spacing, scan.spacing + 3, imported.keptSpacing);
        imported.keptPlacement = scan.placement;
    } else {
        scan.grid.samples = std::vector<uint16_t>();
    }
    if (options.flipZ) flipZ(cubic);
    const auto range = std::minmax_element(cubic.samples.begin(), cubic.samples.end());

    // DICOM and NIfTI name their sample type in the source.
    const std::string typeText = orientationText.empty() ? std::string(sampleTypeName(scan.type)) + " " : "";
    imported.report =
        formatted("input:  %s (%s): %d x %d x %d %ssamples, spacing %g x %g x %g mm\n", input.c_str(),
                  scan.source.c_str(), scan.grid.dims[0], scan.grid.dims[1], scan.grid.dims[2],
                  typeText.c_str(), scan.spacing[0], scan.spacing[1], scan.spacing[2]);
    if (valuesText.empty())
        valuesText = "offset " + std::string(offset >= 0 ? "+" : "") + std::to_string(offset);
    imported.report += formatted("values: %s, clamped to 0..4095 (%zu below, %zu above)\n",
                                 valuesText.c_str(), scan.clamped.below, scan.clamped.above);
    if (!orientationText.empty()) imported.report += "orientation: " + orientationText + "\n";
    const int most = std::max(cubic.dims[0], std::max(cubic.dims[1], cubic.dims[2]));
    const double finest = std::min(scan.spacing[0], std::min(scan.spacing[1], scan.spacing[2]));
    std::string fit;
    if (options.full && most > kViewerGrid) {
        fit = " (full resolution: the viewer thins or crops what exceeds its grid; --grid sets it)";
    } else if (!options.full && shape.edge < finest) {
        fit = " (enlarged to fill the " + std::to_string(fitEdge) +
              "-voxel grid; --full keeps the scan's size)";
    }
    imported.report +=
        formatted("output: %d x %d x %d cubic voxels of %g mm%s%s, values %u..%u\n", cubic.dims[0],
                  cubic.dims[1], cubic.dims[2], shape.edge, options.flipZ ? ", z flipped" : "", fit.c_str(),
                  unsigned{*range.first}, unsigned{*range.second});
    return true;
}

int runImport(const Options& options, std::FILE* out, std::FILE* err, ImportResult* result) {
    const std::string& input = options.inputPath;
    const std::string& output = options.outputPath;
    if (options.input == InputKind::Dicom && options.list) {
        std::string error;
        if (listInChild(options, out, err, error)) return 0;
        std::fprintf(err, "volimport: %s\n", error.c_str());
        return 1;
    }
    // Fail before the work when the output is taken; the write checks again.
    if (platform::sameFile(input, output)) return failure(err, output, "is the input file");
    if (!options.force && platform::pathExists(output)) {
        return failure(err, output, "already exists; use --force to replace it");
    }

    ImportedScan scan;
    std::string error;
    if (!importScan(options, options.fit, out, err, scan, error)) {
        std::fprintf(err, "volimport: %s\n", error.c_str());
        return 1;
    }
    const SampleGrid& cubic = scan.cubic;
    if (!volume::writeDataset(output, cubic.dims, cubic.samples, options.force, error)) {
        if (error == "already exists") error += "; use --force to replace it";
        return failure(err, output, error);
    }
    std::fputs(scan.report.c_str(), out);
    std::fprintf(out, "wrote:  %s (%zu bytes)\n", output.c_str(), 6 + 2 * cubic.samples.size());
    if (result != nullptr) {
        const auto range = std::minmax_element(cubic.samples.begin(), cubic.samples.end());
        std::copy(cubic.dims, cubic.dims + 3, result->dims);
        result->minValue = *range.first;
        result->maxValue = *range.second;
    }
    return 0;
}

}  // namespace scan
