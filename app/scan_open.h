// A scan named on the command line in place of a dataset file: a DICOM
// folder (or one file of its series) or a NIfTI file, told apart by
// content. It goes through the importer in memory, its longest axis fitted
// to the grid edge, and sits in the middle of the cube.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/scan_samples.h"
#include "app/viewer_options.h"
#include "volume/volume.h"

namespace app {

struct OpenedScan {
    // The path was a scan opened directly (not a dataset file). The added
    // rendering that hides the grid's steps follows this flag.
    bool direct = false;
    std::string modality;  // "CT", "MR" or "" (unknown, or a dataset file)
    std::vector<uint16_t> samples;
    volume::PlacedSamples placement;  // its samples pointer is set by the loader
    ScanSamples slices;               // the samples as read, for the slice panes
};

// Imports options.path into `out` when it is a scan; leaves `out` as it is
// for a dataset file. The importer's report goes to standard output, its
// notes and progress bar to standard error. Fails, with `error` naming the
// file, when the importer refuses the scan or --series is given for
// anything but a DICOM folder.
bool openScan(const ViewerOptions& options, OpenedScan& out, std::string& error);

}  // namespace app
