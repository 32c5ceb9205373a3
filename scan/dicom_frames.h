// The slices of one DICOM image file: the file itself for a classic image,
// or each frame of an enhanced (multi-frame) image, whose positions,
// orientation, pixel spacing and rescaling are in functional groups (per
// frame, else shared by all frames).
#pragma once

#include <gdcmDataSet.h>

#include <string>
#include <vector>

#include "scan/slice_stack.h"

namespace scan {

struct FrameHeader {
    SliceHeader slice;          // `file` names the frame of an enhanced image
    bool rescaleGiven = false;  // else the image's own RescaleSlope and RescaleIntercept
    double slope = 1.0, intercept = 0.0;
};

// The frames of an enhanced image with `rows` by `columns` pixels, from the
// file at `path` whose data set is `data`. An empty `out` when it has no
// per-frame groups; false, with `why`, when a frame's geometry is missing.
bool readFrameGroups(const gdcm::DataSet& data, const std::string& path, int rows, int columns,
                     std::vector<FrameHeader>& out, std::string& why);

// A DICOM text value without its padding.
std::string trimmedText(std::string text);

// The numbers of a multi-valued text ("1\0\0"); false unless exactly `count`.
bool parseNumbers(const std::string& text, int count, double* out);

}  // namespace scan
