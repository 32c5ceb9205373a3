// What an import is asked to do: the input, its layout where the file does
// not say, the value mapping and the size of the result. Filled by
// volimport's command line and by the viewer when it opens a scan.
#pragma once

#include <cstdint>
#include <string>

#include "scan/raw_samples.h"

namespace scan {

enum class InputKind { None, Inv3, Raw, Dicom, Nifti };

struct Options {
    InputKind input = InputKind::None;
    std::string inputPath;
    std::string outputPath;
    RawLayout layout;                     // --dims, --type, --endian (raw input)
    double spacing[3] = {1.0, 1.0, 1.0};  // --spacing (raw input)
    uint64_t skipBytes = 0;               // --skip (raw input)
    bool offsetGiven = false;
    int offset = 0;  // --offset
    bool flipZ = false;
    bool list = false;     // --list: the series of a DICOM folder
    std::string series;    // --series UID
    long long volume = 0;  // --volume N, from 1; 0 when not given (the first)
    bool rangeGiven = false;
    double range[2] = {0.0, 0.0};  // --range LOW,HIGH onto 0..4095
    bool full = false;             // --full: no reduction to the viewer's grid
    int fit = 128;                 // --fit N: the longest axis of the output
    bool force = false;
    bool help = false;
    // The viewer's slices: the samples as read (12-bit, oriented) are kept
    // beside the fitted ones, with their spacing.
    bool keepSamples = false;

    // --offset when given; otherwise 1024 for signed (Hounsfield) input,
    // 0 for unsigned raw input.
    int effectiveOffset() const;
};

}  // namespace scan
