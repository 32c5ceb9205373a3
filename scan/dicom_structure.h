// The element structure of a DICOM file, checked without the DICOM library:
// GDCM stops the whole process on some damaged files (a file cut short
// inside its header, a length that runs past its container), so each file
// is walked here first and refused with a reason instead.
#pragma once

#include <string>

namespace scan {

// Whether every element of the file at `path`, nested sequences and items
// included, lies within the file and its container, up to the pixel data
// (`throughPixelData` false) or to the end of the file. False, with `why`
// naming the first fault, otherwise.
bool checkDicomStructure(const std::string& path, bool throughPixelData, std::string& why);

}  // namespace scan
