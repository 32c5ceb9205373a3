// Reading the CT volume of a project archive: a gzip-compressed tar holding
// main.plist, whose "matrix" dict names the raw sample file ("filename"), its
// sample type ("dtype") and its shape (z, y, x), and whose top-level
// "spacing" array gives the voxel size in x, y, z. Samples are little-endian.
#pragma once

#include <cstddef>
#include <string>

#include "scan/scan.h"

namespace scan {

// Fails, with `error` describing the problem (without the archive path, but
// naming the member at fault), on any damage or missing piece.
bool readInv3Project(const std::string& path, int offset, Scan& out, std::string& error);

// The same for the archive once decompressed: `size` bytes of tar.
bool readInv3Archive(const unsigned char* archive, std::size_t size, int offset, Scan& out,
                     std::string& error);

}  // namespace scan
