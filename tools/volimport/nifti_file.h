// NIfTI-1 files (.nii, .nii.gz) read with the NIfTI library.
#pragma once

#include <string>

#include "tools/volimport/real_volume.h"

namespace volimport {

// Whether this build can read NIfTI at all.
bool niftiAvailable();

bool readNiftiFile(const std::string& path, RealVolume& out, std::string& note, std::string& error);

}  // namespace volimport
