#include "app/scan_open.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "app/grid_plan.h"
#include "scan/importer.h"
#include "scan/scan_kind.h"

namespace app {

bool openScan(const ViewerOptions& options, OpenedScan& out, std::string& error) {
    if (options.path.empty() && options.seriesUid.empty()) return true;
    scan::Options request;
    request.input = scan::scanKind(options.path, request.inputPath);
    if (request.input == scan::InputKind::Nifti) request.inputPath = options.path;
    if (!options.seriesUid.empty() && request.input != scan::InputKind::Dicom) {
        error = options.path + ": --series applies to a DICOM folder only";
        return false;
    }
    if (request.input == scan::InputKind::None) return true;
    request.series = options.seriesUid;
    request.keepSamples = true;
    const int edge = planGrid(options).edge;
    scan::ImportedScan scan;
    try {
        if (!scan::importScan(request, edge, stdout, stderr, scan, error)) return false;
    } catch (const std::bad_alloc&) {
        error = options.path + ": out of memory";
        return false;
    }
    std::fputs(scan.report.c_str(), stdout);
    std::fflush(stdout);
    out.direct = true;
    out.modality = scan.modality;
    out.placement = volume::PlacedSamples::centred(scan.cubic.dims, nullptr, edge);
    out.samples = std::move(scan.cubic.samples);
    // The kept samples span the same field as the fitted ones placed in the cube.
    ScanSamples& slices = out.slices;
    std::copy(scan.kept.dims, scan.kept.dims + 3, slices.dims);
    std::copy(scan.keptSpacing, scan.keptSpacing + 3, slices.spacing);
    slices.placement = scan.keptPlacement;
    slices.samples = std::move(scan.kept.samples);
    slices.hounsfield = scan.modality == "CT";
    for (int a = 0; a < 3; ++a) {
        slices.textureOrigin[a] = static_cast<float>(out.placement.offset[a]) / static_cast<float>(edge);
        slices.textureSpan[a] = static_cast<float>(out.placement.dims[a]) / static_cast<float>(edge);
    }
    return true;
}

}  // namespace app
