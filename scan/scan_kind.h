// What a path holds, told by its content rather than its name: a DICOM
// folder or one file of a series, a NIfTI file (plain or gzip-compressed),
// or anything else (left to the dataset loader).
#pragma once

#include <string>

#include "scan/import_options.h"

namespace scan {

// InputKind::Dicom (with `folder` the series' folder), InputKind::Nifti, or
// InputKind::None for a path that is neither (or cannot be read).
InputKind scanKind(const std::string& path, std::string& folder);

}  // namespace scan
