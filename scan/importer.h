// The whole import: read the scan, resample it to cubic voxels, write the
// dataset file and report what was done.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "scan/import_options.h"
#include "scan/sample_grid.h"
#include "scan/scan.h"

namespace scan {

// What an import produced, for callers that check it.
struct ImportResult {
    int dims[3] = {0, 0, 0};
    uint16_t minValue = 0;
    uint16_t maxValue = 0;
};

// A scan read, mapped to 12 bits, oriented and resampled to cubic voxels,
// held in memory.
struct ImportedScan {
    SampleGrid cubic;
    // With Options::keepSamples: the samples as read, before fitting, and
    // their spacing in mm (x, y, z) and place in the patient; empty otherwise.
    SampleGrid kept;
    double keptSpacing[3] = {1.0, 1.0, 1.0};
    PatientPlacement keptPlacement;
    std::string modality;  // "CT", "MR", or "" when the scan does not say
    std::string report;    // the input, values, orientation and output lines
};

// A scan as read, before it is fitted: its samples mapped to 12 bits and
// what the report says of them.
struct ReadScan {
    Scan scan;
    std::string modality;         // as in ImportedScan
    std::string valuesText;       // the value mapping; "" for the offset rule
    std::string orientationText;  // "" when the input records no orientation
};

// Does the reading part of the import that `options` describes (its output
// path is not used): the longest axis is fitted to `fitEdge` voxels, reduced
// or enlarged, unless options.full. Notes and the progress bar go to `err`,
// the series choice to `out`. Fails with `error` naming the file at fault.
// DICOM and NIfTI are read by a child process (isolated_import.h).
bool importScan(const Options& options, int fitEdge, std::FILE* out, std::FILE* err, ImportedScan& scan,
                std::string& error);

// importScan in this process, whatever the input: what the reader child runs.
bool importScanHere(const Options& options, int fitEdge, std::FILE* out, std::FILE* err, ImportedScan& scan,
                    std::string& error);

// The two halves of importScanHere: reading the input, then fitting it to
// the grid and writing the report. The progress bar goes to `err`.
bool readScanHere(const Options& options, std::FILE* out, std::FILE* err, ReadScan& read, std::string& error);
bool fitScan(const Options& options, int fitEdge, ReadScan& read, std::FILE* err, ImportedScan& scan,
             std::string& error);

// The series of the DICOM folder options.inputPath, one line each on `out`,
// read in this process. Fails with `error` naming the folder.
bool listSeriesHere(const Options& options, std::FILE* out, std::FILE* err, std::string& error);

// Runs the import that `options` describes. Reports to `out`; problems go to
// `err` as one line naming the file at fault. Returns the exit status: 0 on
// success, 1 on failure.
int runImport(const Options& options, std::FILE* out, std::FILE* err, ImportResult* result = nullptr);

}  // namespace scan
