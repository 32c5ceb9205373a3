// Reading a plain raw volume file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scan/raw_samples.h"
#include "scan/scan.h"

namespace scan {

// Reads `layout` from `path`, after `skipBytes` header bytes, applying
// `offset`; with `values`, the stored values go there instead and only the
// grid's size is set. Fails, with `error` describing the problem (without
// the path), when the file cannot be read or holds fewer bytes than the
// layout needs. Extra bytes at the end are counted in `trailingBytes`.
bool readRawFile(const std::string& path, uint64_t skipBytes, const RawLayout& layout, int offset, Scan& out,
                 uint64_t& trailingBytes, std::string& error, std::vector<float>* values = nullptr);

}  // namespace scan
