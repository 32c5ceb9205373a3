// NIfTI-1 and NIfTI-2 files (.nii, .nii.gz) read with the NIfTI library.
#pragma once

#include <string>

#include "scan/real_volume.h"

namespace scan {

// Whether this build can read NIfTI at all.
bool niftiAvailable();

// Reads volume `volume` (from 0) of the file at `path`.
bool readNiftiFile(const std::string& path, long long volume, RealVolume& out, std::string& note,
                   std::string& error);

}  // namespace scan
