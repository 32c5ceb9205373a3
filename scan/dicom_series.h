// DICOM series read with GDCM: the series a folder holds, and one series as
// a volume, its slices (files, or frames of multi-frame files) ordered along
// their normal and their stored values turned into modality values by
// RescaleSlope and RescaleIntercept.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "scan/real_volume.h"

namespace scan {

struct SeriesSummary {
    std::string uid;
    std::string description;
    std::string modality;
    int columns = 0, rows = 0;
    std::vector<std::string> files;
    std::size_t slices = 0;  // a multi-frame file holds several
};

// Whether this build can read DICOM at all.
bool dicomAvailable();

// The series in `folder` and its subfolders, the largest first. Files that
// are not DICOM images are skipped with a note on `notes`; fails when no
// file is one.
bool findSeries(const std::string& folder, std::vector<SeriesSummary>& out, std::FILE* notes,
                std::string& error);

// Reads one series into `out`.
bool readSeries(const SeriesSummary& series, RealVolume& out, std::FILE* progress, std::string& error);

}  // namespace scan
