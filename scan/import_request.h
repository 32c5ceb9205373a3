// What a reader helper executable is asked to do, as one command-line
// argument: the options a DICOM or NIfTI import uses, as hexadecimal text
// (no quoting rules to get wrong). Hosts that fork hand the options over
// in memory instead.
#pragma once

#include <string>

#include "scan/import_options.h"

namespace scan {

struct ImportRequest {
    Options options;
    int fitEdge = 128;
};

std::string encodeRequest(const ImportRequest& request);

// False when `text` is not a request encodeRequest wrote.
bool decodeRequest(const std::string& text, ImportRequest& request);

}  // namespace scan
