// Reads a whole gzip-compressed file into memory.
#pragma once

#include <string>
#include <vector>

namespace scan {

// Fills `out` with the decompressed content of `path`. Fails, with `error`
// describing the problem (without the path), when the file cannot be opened,
// does not start with the gzip signature, is damaged or ends early, or
// decompresses to more than `limit` bytes.
bool readGzipFile(const std::string& path, std::vector<unsigned char>& out, std::string& error,
                  std::size_t limit = std::size_t(1) << 32);

}  // namespace scan
