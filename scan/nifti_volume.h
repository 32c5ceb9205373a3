// Turning a NIfTI header and its data block into a volume: sample types,
// scaling, and orientation from the sform (else the qform). The file itself
// is read by the NIfTI library; this part only interprets what it found.
#pragma once

#include <cstddef>
#include <string>

#include "scan/real_volume.h"

namespace scan {

struct NiftiHeader {
    int dims[3] = {0, 0, 0};
    long long volumes = 1;  // the product of the dimensions after the third
    long long volume = 0;   // the one to read, from 0
    int datatype = 0;       // NIFTI_TYPE_* code
    double slope = 0.0, intercept = 0.0;
    double pixdim[3] = {1, 1, 1};
    int sformCode = 0, qformCode = 0;
    double sform[3][4] = {};  // index (i, j, k) to RAS millimetres
    double qform[3][4] = {};
};

// Fills `out` from volume `header.volume` of `data` (`bytes` long, host
// byte order). `note` says what was assumed, e.g. which of several volumes
// was read. Fails on an unsupported type, bad dimensions, a volume the file
// does not hold or short data.
bool niftiToVolume(const NiftiHeader& header, const void* data, std::size_t bytes, RealVolume& out,
                   std::string& note, std::string& error);

}  // namespace scan
